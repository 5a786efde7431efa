#include "SceneName.h"

#include "TextCodec.h"

namespace caraudio::storage {
namespace {

bool IsControl(char16_t c) {
    return c < 0x20 || c == 0x7F;
}
bool IsHighHalf(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowHalf(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

std::u16string StoredSceneName(std::u16string_view name, size_t maxUnits) {
    std::u16string clean;
    clean.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (IsHighHalf(c) && i + 1 < name.size() && IsLowHalf(name[i + 1])) {
            clean += c;
            clean += name[++i];
        } else if (IsHighHalf(c) || IsLowHalf(c)) {
            clean += u'\uFFFD';
        } else {
            clean += IsControl(c) ? u' ' : c;
        }
    }
    // Trimmed again after the cut, which may end on a blank.
    return TrimBlanks(CutToUnits(TrimBlanks(clean), maxUnits));
}

}  // namespace caraudio::storage
