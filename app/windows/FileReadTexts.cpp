#include "FileReadTexts.h"

#include <cstring>

#include "Translation.h"

namespace caraudio::app {

namespace {

QString T(const char* text) {
    return Tr("files", text);
}

QString NotRegular(storage::FileKind kind) {
    using storage::FileKind;
    switch (kind) {
    case FileKind::Folder:
        return T("It is not a regular file (a folder).");
    case FileKind::Fifo:
        return T("It is not a regular file (a FIFO).");
    case FileKind::CharacterDevice:
    case FileKind::BlockDevice:
        return T("It is not a regular file (a device).");
    case FileKind::Socket:
        return T("It is not a regular file (a socket).");
    case FileKind::Regular:
    case FileKind::Other:
        break;
    }
    return T("It is not a regular file.");
}

}  // namespace

QString FileReadReason(const storage::ReadResult& read) {
    switch (read.status) {
    case storage::ReadStatus::Read:
        return {};
    case storage::ReadStatus::Missing:
        return T("It is not there.");
    case storage::ReadStatus::Failed:
        return T("The system says: %1").arg(QString::fromLocal8Bit(std::strerror(read.error)));
    case storage::ReadStatus::NotRegular:
        return NotRegular(read.kind);
    case storage::ReadStatus::TooLarge:
        return T("It is far larger than a file of its kind.");
    }
    return {};
}

}  // namespace caraudio::app
