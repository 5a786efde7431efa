#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "AtomicFile.h"

namespace caraudio::storage {

// Sections and keys of config.ini.
namespace key {
inline constexpr std::string_view kConfig = "Config";
inline constexpr std::string_view kLang = "Lang";
inline constexpr std::string_view kDelay = "Delay";
inline constexpr std::string_view kPcMode = "PCMode";
inline constexpr std::string_view kCount = "Count";
inline constexpr std::string_view kPcModeName = "PCModeName";
}  // namespace key

inline constexpr const char* kConfigFileName = "config.ini";

// One INI document (case-insensitive sections and keys, UTF-8 text, read
// with or without a byte-order mark), held in memory and written back whole.
class IniDocument {
public:
    IniDocument();
    ~IniDocument();
    IniDocument(IniDocument&&) noexcept;
    IniDocument& operator=(IniDocument&&) noexcept;

    // Replaces the document with the parsed text; false if it cannot be parsed.
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
class Settings {
public:
    // What loading found, so the program can tell the user about a file it
    // had to put aside.
    enum class LoadResult { Loaded, Missing, Unreadable };

    explicit Settings(std::string dataFolder);

    LoadResult Load();
    // Writes the whole document, replacing config.ini atomically. False when
    // it could not be written; the file then stays as it was.
    bool Save(const WriteFault& fault = {});

    IniDocument& Document() { return doc_; }
    const IniDocument& Document() const { return doc_; }
    const std::string& Path() const { return path_; }
    // Where an unreadable config.ini was moved before starting afresh.
    const std::string& SetAsidePath() const { return setAside_; }

    int Language() const;  // 0 Chinese, 1 English
    void SetLanguage(int language);

private:
    std::string path_;
    std::string setAside_;
    IniDocument doc_;
};

}  // namespace caraudio::storage
