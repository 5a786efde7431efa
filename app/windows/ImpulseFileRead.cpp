#include "ImpulseFileRead.h"

#include <QFile>

#include "AtomicFile.h"
#include "FileReadTexts.h"
#include "Translation.h"

namespace caraudio::app {
namespace {

QString T(const char* text) {
    return Tr("align", text);
}

QString ReadProblem(analysis::ImpulseResponseStatus s) {
    using analysis::ImpulseResponseStatus;
    switch (s) {
    case ImpulseResponseStatus::Read:
        break;
    case ImpulseResponseStatus::NotSoundFile:
        return T("It is not a sound file this program can read.");
    case ImpulseResponseStatus::NotMono:
        return T("It holds more than one channel. Export each channel's impulse response on its own.");
    case ImpulseResponseStatus::UnsupportedRate:
        return T("Its sample rate is not 44.1, 48 or 96 kHz.");
    case ImpulseResponseStatus::Empty:
        return T("It holds no samples.");
    case ImpulseResponseStatus::TooLong:
        return T("It is longer than an impulse response (10 s at most).");
    case ImpulseResponseStatus::NotFinite:
        return T("It holds samples that are not numbers.");
    }
    return T("It is not a sound file this program can read.");
}

}  // namespace

analysis::ImpulseResponseRead ReadImpulseFile(const QString& path, QString& problem) {
    std::string bytes;
    const storage::ReadResult file =
        storage::ReadFile(QFile::encodeName(path).toStdString(), bytes, analysis::kMaxImpulseResponseBytes);
    analysis::ImpulseResponseRead read;  // not a sound file until it is read
    if (file.Ok()) {
        read = analysis::ReadImpulseResponseBytes(bytes);
    } else if (file.status == storage::ReadStatus::TooLarge) {
        read.status = analysis::ImpulseResponseStatus::TooLong;
    } else {
        problem = FileReadReason(file);
        return read;
    }
    problem = ReadProblem(read.status);
    return read;
}

}  // namespace caraudio::app
