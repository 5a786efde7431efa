// The program's windows are tested offscreen: no display is needed. There
// are two screens, a desktop one and a laptop's 1280 x 720 one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryFile>

#include "OffscreenScreens.h"

int main(int argc, char** argv) {
    QTemporaryFile screens;
    caraudio::app::UseOffscreenScreens(screens);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
