#include "OffscreenScreens.h"

#include <QTemporaryFile>
#include <cstdlib>

namespace caraudio::app {

void UseOffscreenScreens(QTemporaryFile& file) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && QByteArray(platform) != "offscreen") return;
    if (!file.open()) {  // one screen of the platform's own then
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return;
    }
    // The platform names them in this order: the first is the primary.
    file.write(R"({"screens": [
        {"name": "desktop", "x": 0, "y": 0, "width": 1920, "height": 1080},
        {"name": "laptop", "x": 1920, "y": 0, "width": 1280, "height": 720}]})");
    file.flush();
    ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + file.fileName()).toUtf8().constData(), 1);
}

}  // namespace caraudio::app
