#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "AtomicFile.h"
#include "FileLock.h"

namespace caraudio::storage {

// Sections and keys of config.ini.
namespace key {
inline constexpr std::string_view kConfig = "Config";
inline constexpr std::string_view kLang = "Lang";
inline constexpr std::string_view kDelay = "Delay";
inline constexpr std::string_view kPcMode = "PCMode";
inline constexpr std::string_view kCount = "Count";
inline constexpr std::string_view kPcModeName = "PCModeName";

// The measurement shown on the EQ editor, per output channel: each key is
// written after the channel's name, as "CH1.File".
inline constexpr std::string_view kMeasurement = "Measurement";
inline constexpr std::string_view kMeasurementFile = "File";
inline constexpr std::string_view kMeasurementColumn = "Column";  // the file's level column; empty: automatic
inline constexpr std::string_view kMeasuredWith = "MeasuredWith";  // flat, crossovers or current
// The channel's settings when the measurement was loaded (ChannelSettingsText.h).
inline constexpr std::string_view kSettingsAtLoad = "SettingsAtLoad";
inline constexpr std::string_view kSmoothing = "Smoothing";
inline constexpr std::string_view kReferenceLowHz = "ReferenceLowHz";
inline constexpr std::string_view kReferenceHighHz = "ReferenceHighHz";
inline constexpr std::string_view kTarget = "Target";  // Flat, House or File
inline constexpr std::string_view kBassLiftDb = "BassLiftDb";
inline constexpr std::string_view kBassLiftHz = "BassLiftHz";
inline constexpr std::string_view kTiltDbPerDecade = "TiltDbPerDecade";
inline constexpr std::string_view kTiltFromHz = "TiltFromHz";
inline constexpr std::string_view kTargetFile = "TargetFile";
inline constexpr std::string_view kShowMeasured = "ShowMeasured";
inline constexpr std::string_view kShowPredicted = "ShowPredicted";
inline constexpr std::string_view kShowTarget = "ShowTarget";
}  // namespace key

inline constexpr const char* kConfigFileName = "config.ini";
// Far more than any number of scenes makes; a file beyond it is not read.
inline constexpr size_t kMaxSettingsBytes = 32u << 20;

// One INI document (case-insensitive sections and keys, UTF-8 text, read
// with or without a byte-order mark), held in memory and written back whole.
class IniDocument {
public:
    IniDocument();
    ~IniDocument();
    IniDocument(IniDocument&&) noexcept;
    IniDocument& operator=(IniDocument&&) noexcept;

    // Replaces the document with what can be read of the text: the INI
    // library reads up to the first NUL. False when that was not all of it.
    bool Parse(std::string_view text);
    std::string Serialize() const;

    bool Has(std::string_view section, std::string_view key) const;
    // Decimal, or hexadecimal after "0x"; missing, empty or anything after the
    // number gives the default.
    long GetInt(std::string_view section, std::string_view key, long fallback) const;
    std::string GetText(std::string_view section, std::string_view key, std::string_view fallback = {}) const;
    void SetInt(std::string_view section, std::string_view key, long value);
    void SetText(std::string_view section, std::string_view key, std::string_view value);
    void DeleteSection(std::string_view section);
    // The keys of a section, in the order of the file.
    std::vector<std::string> Keys(std::string_view section) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// config.ini in the data folder: read once, saved whole after every change.
// Whoever changes it holds config.ini.lock beside it from load to save
// (a FileLock), so two programs never write over each other's change.
class Settings {
public:
    // What loading found, so the program can tell the user.
    enum class LoadResult {
        Loaded,
        Missing,  // no file yet: defaults
        // Only a part could be read (what comes before a NUL). That part is in
        // use. Unless only reading, the whole file was kept first under a new
        // name, SetAsidePath(), and config.ini now holds that part; only
        // reading, the file is left as it is.
        Damaged,
        // There but it cannot be read (no permission, not a regular file,
        // larger than kMaxSettingsBytes; LoadProblem() says which), or
        // damaged where no copy of it can be kept. It may hold everything
        // the user has, so it is never replaced: Save() writes nothing this run.
        Unreadable,
        // Another program held the lock for the whole wait: what the file
        // held is in use, but nothing is saved this run, so that program's
        // change is not written over.
        Busy,
    };

    // Whether this copy may write config.ini at all. A command that only
    // reads never writes it, not even to mend a damaged file: the program
    // may be running and owns it.
    enum class Access { ReadWrite, ReadOnly };

    explicit Settings(std::string dataFolder, Access access = Access::ReadWrite);

    // Takes the lock until Unlock(), for a change from load to save; Load()
    // and Save() take it only for themselves when it is not held.
    FileLock::Result Lock(std::chrono::milliseconds wait = kLockWait);
    void Unlock() { lock_.Release(); }
    const FileLock& LockFile() const { return lock_; }

    LoadResult Load();
    // Why the file could not be read, after Load() said Unreadable.
    const ReadResult& LoadProblem() const { return loadProblem_; }
    // Writes the whole document, replacing config.ini atomically. False when
    // it could not be written (SaveError() says why), or must not be (only
    // reading, see Unreadable and Busy, or the lock stayed busy; SaveError()
    // is 0); the file then stays as it was.
    bool Save(const WriteFault& fault = {});
    int SaveError() const { return saveError_; }

    IniDocument& Document() { return doc_; }
    const IniDocument& Document() const { return doc_; }
    const std::string& Path() const { return path_; }
    // Where the last damaged config.ini was kept; empty when none was.
    const std::string& SetAsidePath() const { return setAside_; }

    int Language() const;  // 0 Chinese, 1 English
    void SetLanguage(int language);

private:
    class LockForThisCall;

    std::string path_;
    std::string setAside_;
    const bool readOnly_;
    bool keepFile_ = false;  // the file on disk must not be replaced
    ReadResult loadProblem_{ReadStatus::Read};
    int saveError_ = 0;
    FileLock lock_;
    IniDocument doc_;
};

}  // namespace caraudio::storage
