#include "Settings.h"

#include <SimpleIni.h>

#include <cerrno>

#include "TextCodec.h"

namespace caraudio::storage {

// The wide-character, case-insensitive instance of the INI library.
struct IniDocument::Impl {
    CSimpleIniW ini{true, false, false};
    Impl() { ini.SetSpaces(false); }
};

namespace {

std::u16string Wide(std::string_view text) {
    return Utf8ToUtf16(text);
}

}  // namespace

IniDocument::IniDocument() : impl_(std::make_unique<Impl>()) {}
IniDocument::~IniDocument() = default;
IniDocument::IniDocument(IniDocument&&) noexcept = default;
IniDocument& IniDocument::operator=(IniDocument&&) noexcept = default;

bool IniDocument::Parse(std::string_view text) {
    impl_ = std::make_unique<Impl>();
    if (impl_->ini.LoadData(text.data(), text.size()) < 0) {
        impl_ = std::make_unique<Impl>();
        return false;
    }
    // The library stops at a NUL byte: the rest of the file is lost.
    return text.find('\0') == std::string_view::npos;
}

std::string IniDocument::Serialize() const {
    std::string out;
    impl_->ini.Save(out, false);
    return out;
}

bool IniDocument::Has(std::string_view section, std::string_view key) const {
    return impl_->ini.GetValue(Wide(section).c_str(), Wide(key).c_str()) != nullptr;
}

long IniDocument::GetInt(std::string_view section, std::string_view key, long fallback) const {
    return impl_->ini.GetLongValue(Wide(section).c_str(), Wide(key).c_str(), fallback);
}

std::string IniDocument::GetText(std::string_view section, std::string_view key,
                                 std::string_view fallback) const {
    const char16_t* v = impl_->ini.GetValue(Wide(section).c_str(), Wide(key).c_str());
    return v ? Utf16ToUtf8(v) : std::string(fallback);
}

void IniDocument::SetInt(std::string_view section, std::string_view key, long value) {
    impl_->ini.SetLongValue(Wide(section).c_str(), Wide(key).c_str(), value, nullptr, false, true);
}

void IniDocument::SetText(std::string_view section, std::string_view key, std::string_view value) {
    impl_->ini.SetValue(Wide(section).c_str(), Wide(key).c_str(), Wide(value).c_str(), nullptr, true);
}

std::vector<std::string> IniDocument::Keys(std::string_view section) const {
    CSimpleIniW::TNamesDepend keys;
    impl_->ini.GetAllKeys(Wide(section).c_str(), keys);
    keys.sort(CSimpleIniW::Entry::LoadOrder());
    std::vector<std::string> out;
    for (const auto& k : keys) out.push_back(Utf16ToUtf8(k.pItem));
    return out;
}

void IniDocument::DeleteSection(std::string_view section) {
    impl_->ini.Delete(Wide(section).c_str(), nullptr);
}

Settings::Settings(std::string dataFolder, Access access)
    : path_(dataFolder.empty() ? std::string("/") + kConfigFileName : dataFolder + "/" + kConfigFileName),
      readOnly_(access == Access::ReadOnly),
      lock_(path_ + ".lock") {}

// The lock for one Load() or Save(), unless a change holds it already. A
// lock file that cannot be made (a folder without write access) leaves the
// call unlocked: then nobody can change config.ini there anyway. Reading
// only takes no lock: config.ini is replaced by rename, so any read sees
// one whole file.
class Settings::LockForThisCall {
public:
    LockForThisCall(FileLock& lock, bool wanted) : lock_(lock) {
        if (!wanted || lock.Held()) return;
        result_ = lock.Take(kLockWait);
        took_ = result_ == FileLock::Result::Taken;
    }
    ~LockForThisCall() {
        if (took_) lock_.Release();
    }
    bool Busy() const { return result_ == FileLock::Result::Busy; }

private:
    FileLock& lock_;
    FileLock::Result result_ = FileLock::Result::Taken;
    bool took_ = false;
};

FileLock::Result Settings::Lock(std::chrono::milliseconds wait) {
    return lock_.Take(wait);
}

namespace {

// The first of config.ini.unreadable, config.ini.unreadable-2, ... that is
// free: a copy kept earlier may hold the user's only good scenes.
std::string KeepCopy(const std::string& path, std::string_view text) {
    constexpr int kMostCopies = 1000;
    for (int n = 1; n <= kMostCopies; ++n) {
        const std::string name = path + ".unreadable" + (n == 1 ? std::string() : "-" + std::to_string(n));
        if (WriteNewFile(name, text)) return name;
        if (errno != EEXIST) break;
    }
    return {};
}

}  // namespace

Settings::LoadResult Settings::Load() {
    const LockForThisCall lock(lock_, !readOnly_);
    std::string text;
    loadProblem_ = ReadFile(path_, text, kMaxSettingsBytes);
    switch (loadProblem_.status) {
    case ReadStatus::Failed:
    case ReadStatus::NotRegular:
    case ReadStatus::TooLarge:
        keepFile_ = true;
        return LoadResult::Unreadable;
    case ReadStatus::Missing:
    case ReadStatus::Read:
        break;
    }
    const bool whole = loadProblem_.Ok() ? doc_.Parse(text) : true;
    // What the other program is writing, maybe the very first config.ini,
    // would be lost at this copy's next save.
    if (lock.Busy()) {
        keepFile_ = true;
        return LoadResult::Busy;
    }
    if (loadProblem_.status == ReadStatus::Missing) return LoadResult::Missing;
    if (whole) return LoadResult::Loaded;
    if (readOnly_) return LoadResult::Damaged;
    setAside_ = KeepCopy(path_, text);
    if (setAside_.empty()) {
        keepFile_ = true;
        return LoadResult::Unreadable;
    }
    // The whole file is safe elsewhere now; config.ini takes what was read,
    // so the next start reads it whole.
    Save();
    return LoadResult::Damaged;
}

bool Settings::Save(const WriteFault& fault) {
    saveError_ = 0;
    if (readOnly_ || keepFile_) return false;
    const LockForThisCall lock(lock_, true);
    if (lock.Busy()) return false;
    if (WriteFileAtomically(path_, doc_.Serialize(), fault)) return true;
    saveError_ = errno;
    return false;
}

int Settings::Language() const {
    return static_cast<int>(doc_.GetInt(key::kConfig, key::kLang, 0));
}

void Settings::SetLanguage(int language) {
    doc_.SetInt(key::kConfig, key::kLang, language);
}

}  // namespace caraudio::storage
