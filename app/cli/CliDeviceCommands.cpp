#include "CliDeviceCommands.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string>

#include "AtomicFile.h"
#include "Folders.h"
#include "ImageLimits.h"
#include "TuningSettings.h"

namespace caraudio::cli {
namespace {

// A whole number in decimal or 0x hexadecimal, the whole text of it.
bool ParseWhole(std::string_view text, long& value) {
    int base = 10;
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return false;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return false;
    if (negative) value = -value;
    return true;
}

bool ParseSlot(std::string_view text, int lo, int hi, int& slot) {
    long v;
    if (!ParseWhole(text, v) || v < lo || v > hi) return false;
    slot = static_cast<int>(v);
    return true;
}

const ParamRecord* FindByName(std::string_view name) {
    auto lower = [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); };
    for (const ParamRecord& r : Parameters()) {
        const std::string_view n = r.Name();
        if (n.size() != name.size()) continue;
        bool same = true;
        for (size_t i = 0; i < n.size() && same; ++i) same = lower(n[i]) == lower(name[i]);
        if (same) return &r;
    }
    return nullptr;
}

std::string ValueText(uint16_t v) {
    return std::to_string(v) + "(" + std::to_string(static_cast<int16_t>(v)) + ")";
}

// Written beside the target and renamed over it, so a failed write never
// leaves half an image where an old file was.
bool WriteImageFile(const std::string& path, const EffectBlock& image, std::FILE* err) {
    if (storage::WriteFileAtomically(
            path, std::string_view(reinterpret_cast<const char*>(image.data()), kEffectBlockSize)))
        return true;
    std::fprintf(err, "caraudio-cli: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
}

const char* InputModeName(int mode) {
    switch (mode) {
    case 0:
        return "2 Channel";
    case 1:
        return "4 Channel";
    default:
        return "unknown";
    }
}

}  // namespace

Connected ConnectBox(const CliOptions& options, std::FILE* err) {
    Connected c{std::make_unique<CliSession>(options, err)};
    if (!c.session->Open()) {
        c.status = kExitFailed;
        return c;
    }
    c.status = ExitStatusFor(c.session->Connect());
    return c;
}

Connected ConnectToChange(const CliOptions& options, std::FILE* err) {
    Connected c = ConnectBox(options, err);
    if (c.status == kExitOk && !c.session->Db().ReadDeviceBlock()) {
        std::fprintf(err, "caraudio-cli: reading the box's image failed. Nothing was changed.\n");
        c.status = kExitFailed;
    }
    return c;
}

bool ReadImageFile(const std::string& path, EffectBlock& image, std::FILE* err) {
    std::string bytes;
    const storage::ReadResult read = storage::ReadFile(path, bytes, kEffectBlockSize);
    if (read.status == storage::ReadStatus::TooLarge) {
        std::fprintf(err, "caraudio-cli: %s is more than %d bytes; an image is exactly %d bytes.\n",
                     path.c_str(), kEffectBlockSize, kEffectBlockSize);
        return false;
    }
    if (!read.Ok()) {
        std::fprintf(err, "caraudio-cli: %s\n",
                     storage::ReadProblemText(path, read, kEffectBlockSize).c_str());
        return false;
    }
    if (bytes.size() != kEffectBlockSize) {
        std::fprintf(err, "caraudio-cli: %s is %zu bytes; an image is exactly %d bytes.\n", path.c_str(),
                     bytes.size(), kEffectBlockSize);
        return false;
    }
    std::memcpy(image.data(), bytes.data(), kEffectBlockSize);
    return true;
}

int TakeImage(const CliOptions& options, const std::string& imagePath, EffectBlock& image, std::FILE* err) {
    if (!imagePath.empty()) return ReadImageFile(imagePath, image, err) ? kExitOk : kExitFailed;
    Connected c = ConnectBox(options, err);
    if (c.status != kExitOk) return c.status;
    if (!c.session->Db().ReadDeviceBlock()) {
        std::fprintf(err, "caraudio-cli: reading the box's image failed.\n");
        return kExitFailed;
    }
    image = c.session->Db().Block();
    return kExitOk;
}

GainLimits TuningGainLimits() {
    return storage::LoadTuningSettings(storage::ReadOnlyFolders()).Gains();
}

void SayOutOfLimits(const std::string& what, const std::vector<OutOfLimit>& outside, std::FILE* err) {
    std::fprintf(err,
                 "caraudio-cli: %s holds %zu value%s outside what the box may be given (allowed in "
                 "brackets); nothing was sent:\n",
                 what.c_str(), outside.size(), outside.size() == 1 ? "" : "s");
    for (const OutOfLimit& p : outside) std::fprintf(err, "  %s\n", OutOfLimitLine(p).c_str());
}

bool ImageWithinLimits(const EffectBlock& image, const std::string& path, std::FILE* err) {
    const std::vector<OutOfLimit> outside = OutOfLimitParams(image, TuningGainLimits());
    if (!outside.empty()) SayOutOfLimits(path, outside, err);
    return outside.empty();
}

std::string ModeName(int index) {
    if (index >= 0 && index < 8) return "USER-" + std::to_string(index + 1);
    if (index == 8) return "Factory settings";
    return "mode " + std::to_string(index + 1);
}

int Info(const CliOptions& options, CommandArgs, std::FILE* out, std::FILE* err) {
    Connected c = ConnectBox(options, err);
    if (c.status != kExitOk) return c.status;
    ParamDatabase& db = c.session->Db();
    const bool modeKnown = db.GetDeviceCurrentMode();
    std::fprintf(out, "box: %s\n", c.session->Manager().ConnectedPath()->c_str());
    std::fprintf(out, "status: connected\n");
    if (db.CurrentDeviceMode() >= 0)
        std::fprintf(out, "current mode: %d (%s)\n", db.CurrentDeviceMode() + 1,
                     ModeName(db.CurrentDeviceMode()).c_str());
    else
        std::fprintf(out, "current mode: unknown\n");
    if (modeKnown)
        std::fprintf(out, "image size: %d bytes\n", db.ReportedImageSize());
    else
        std::fprintf(out, "image size: unknown\n");
    std::fprintf(out, "input mode: %s\n", InputModeName(db.InputChannelMode()));
    return kExitOk;
}

int Dump(const CliOptions& options, CommandArgs, std::FILE* out, std::FILE* err) {
    StreamDebugLog log(out);
    Connected c = ConnectBox(options, err);
    if (c.status == ExitStatusFor(ConnectStatus::NoBoxFound) && !options.emulate) {
        std::fprintf(err, "caraudio-cli: showing the factory image.\n");
        ParamDatabase factory;
        factory.SetDebugLog(&log);
        factory.DumpParams();
        return kExitOk;
    }
    if (c.status != kExitOk) return c.status;
    ParamDatabase& db = c.session->Db();
    if (!db.ReadDeviceBlock()) {
        std::fprintf(err, "caraudio-cli: reading the box's image failed.\n");
        return kExitFailed;
    }
    DebugLog* before = db.Log();
    db.SetDebugLog(&log);
    db.DumpParams();
    db.SetDebugLog(before);
    return kExitOk;
}

int ReadImage(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    Connected c = ConnectBox(options, err);
    if (c.status != kExitOk) return c.status;
    ParamDatabase& db = c.session->Db();
    if (!db.ReadDeviceBlock()) {
        std::fprintf(err, "caraudio-cli: reading the box's image failed.\n");
        return kExitFailed;
    }
    const std::string path(args[0]);
    if (!WriteImageFile(path, db.Block(), err)) return kExitFailed;
    std::fprintf(out, "Saved the image of %s (%d bytes) to %s.\n", ModeName(db.CurrentDeviceMode()).c_str(),
                 kEffectBlockSize, path.c_str());
    return kExitOk;
}

int WriteImage(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    const std::string path(args[0]);
    EffectBlock image;
    if (!ReadImageFile(path, image, err) || !ImageWithinLimits(image, path, err)) return kExitFailed;
    Connected c = ConnectBox(options, err);
    if (c.status != kExitOk) return c.status;
    if (!c.session->Db().SendBlock(image)) {
        std::fprintf(err,
                     "caraudio-cli: sending the image failed; the box may hold part of it. Try again.\n");
        return kExitFailed;
    }
    std::fprintf(out, "Sent %s to the box.\n", path.c_str());
    return kExitOk;
}

int Recall(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    int slot;
    if (!ParseSlot(args[0], 1, 9, slot)) {
        std::fprintf(err, "caraudio-cli: recall takes 1..8 (USER-1..USER-8) or 9 (factory settings).\n");
        return kExitUsage;
    }
    Connected c = ConnectBox(options, err);
    if (c.status != kExitOk) return c.status;
    ParamDatabase& db = c.session->Db();
    if (!db.RecallDeviceMode(slot - 1)) {
        std::fprintf(err, "caraudio-cli: Recall device mode failed\n");
        return kExitFailed;
    }
    if (!db.ReadDeviceBlock()) {
        std::fprintf(err, "caraudio-cli: the box recalled %s, but its image could not be read.\n",
                     ModeName(slot - 1).c_str());
        return kExitFailed;
    }
    std::fprintf(out, "Recalled %s.\n", ModeName(slot - 1).c_str());
    return kExitOk;
}

int Store(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    int slot;
    if (!ParseSlot(args[0], 1, 8, slot)) {
        std::fprintf(err, "caraudio-cli: store takes 1..8 (USER-1..USER-8).\n");
        return kExitUsage;
    }
    Connected c = ConnectBox(options, err);
    if (c.status != kExitOk) return c.status;
    if (!c.session->Db().StoreDeviceMode(slot - 1)) {
        std::fprintf(err, "caraudio-cli: storing the settings as %s failed.\n", ModeName(slot - 1).c_str());
        return kExitFailed;
    }
    std::fprintf(out, "Stored the box's current settings as %s.\n", ModeName(slot - 1).c_str());
    return kExitOk;
}

int Set(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    const ParamRecord* param = FindByName(args[0]);
    if (!param) {
        std::fprintf(err, "caraudio-cli: no parameter is called '%.*s'; caraudio-cli dump lists them.\n",
                     static_cast<int>(args[0].size()), args[0].data());
        return kExitUsage;
    }
    long raw;
    if (!ParseWhole(args[1], raw) || raw < -32768 || raw > 65535) {
        std::fprintf(err,
                     "caraudio-cli: RAW must be a whole number from -32768 to 65535 (or 0x0000..0xFFFF).\n");
        return kExitUsage;
    }
    // A raw tool still sends only what the controls could: the speakers do
    // not care which command a value came from. Every one-byte parameter
    // takes less than 256, so no value is cut to its low byte either.
    const auto value = static_cast<uint16_t>(raw);
    const ParamLimit limit = LimitOf(*param, TuningGainLimits());
    if (const int limited = LimitedValue(limit, value); !Allows(limit, limited)) {
        std::fprintf(err, "caraudio-cli: %s takes %s, not %d. Nothing was sent.\n", param->name,
                     AllowedText(limit).c_str(), limited);
        return kExitFailed;
    }
    Connected c = ConnectBox(options, err);
    if (c.status != kExitOk) return c.status;
    ParamDatabase& db = c.session->Db();
    if (!db.ReadDeviceBlock()) {
        std::fprintf(err, "caraudio-cli: reading the box's image failed.\n");
        return kExitFailed;
    }
    if (db.GetParam(param->index) == value) {
        std::fprintf(out, "%s is already %s.\n", param->name, ValueText(value).c_str());
        return kExitOk;
    }
    db.SetParam(param->index, value);
    const bool sent = db.Pending().Empty() ? db.Throttle().LastFlushOk() : db.Throttle().Flush();
    if (!sent) {
        std::fprintf(err, "caraudio-cli: sending %s to the box failed.\n", param->name);
        return kExitFailed;
    }
    std::fprintf(out, "%s = %s sent.\n", param->name, ValueText(db.GetParam(param->index)).c_str());
    return kExitOk;
}

}  // namespace caraudio::cli
