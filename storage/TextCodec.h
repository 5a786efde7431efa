#pragma once

#include <string>
#include <string_view>

namespace caraudio::storage {

// UTF-8 <-> UTF-16 without the locale. Invalid input becomes U+FFFD, so text
// from any file converts to something and never fails.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Blanks, tabs, carriage returns and line feeds removed at both ends.
std::u16string TrimBlanks(std::u16string_view text);

// The longest start of the text that fits in `maxUnits` UTF-16 units and
// ends on a character boundary: a surrogate pair, a letter with its accents
// or a flag is kept whole or left out whole.
std::u16string CutToUnits(std::u16string_view text, size_t maxUnits);

// Equal without regard to letter case (Unicode simple case folding).
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace caraudio::storage
