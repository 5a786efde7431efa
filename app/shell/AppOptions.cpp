#include "AppOptions.h"

#include <string>
#include <string_view>

namespace caraudio::app {

QString ParseAppArguments(const QStringList& arguments, AppOptions& options) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a.contains("-hide")) options.hide = true;
        if (a == "--emulate") {
            options.emulate = true;
        } else if (a.startsWith("--emulate=")) {
            options.emulate = true;
            options.emulatorFile = a.mid(10).toStdString();
            if (options.emulatorFile.empty()) return "--emulate= needs a file name";
        } else if (a == "--car" && i + 1 < arguments.size()) {
            options.carFolder = arguments[++i].toStdString();
        } else if (a.startsWith("--car=")) {
            options.carFolder = a.mid(6).toStdString();
            if (options.carFolder.empty()) return "--car= needs a folder";
        } else if (a == "--verbose") {
            options.verbose = true;
        } else if (!a.contains("-hide")) {
            return "unknown argument: " + a;
        }
    }
    if (!options.carFolder.empty() && !options.emulate)
        return "--car is the emulated microphone's car; it needs --emulate";
    return {};
}

const char* InformationAsked(int argc, char** argv) {
    static const std::string version = std::string("caraudio ") + CARAUDIO_VERSION + "\n";
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--help" || a == "-h") return kAppUsage;
        if (a == "--version") return version.c_str();
    }
    return nullptr;
}

}  // namespace caraudio::app
