// The program: one copy, the start-up picture, the two windows, the loop.
#include <QApplication>
#include <cstdio>

#include "AppContext.h"
#include "AppOptions.h"
#include "QuitSignals.h"

int main(int argc, char** argv) {
    if (const char* information = caraudio::app::InformationAsked(argc, argv)) {
        std::fputs(information, stdout);
        return 0;
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("caraudio");
    QApplication::setApplicationDisplayName("Car Audio DSP Tuner");
    caraudio::app::AppOptions options;
    const QString problem = caraudio::app::ParseAppArguments(QApplication::arguments(), options);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n%s", qPrintable(problem), caraudio::app::kAppUsage);
        return 2;
    }
    caraudio::app::AppContext app(options);
    // A stop asked for while the program starts is carried out once it runs.
    caraudio::app::QuitSignals stopRequests([&app] { app.Quit(); });
    if (!app.TakeInstanceLock()) return 0;  // the copy already running serves the user
    if (!app.Init()) return 1;
    if (!app.CreateWindows()) return 1;
    app.Run();
    return 0;
}
