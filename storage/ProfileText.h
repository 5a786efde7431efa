#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace caraudio::storage {

// INI text handled line by line the way the system's profile calls handle a
// file: sections and keys match without regard to case, and writing a key
// changes only that key's line.

// The value of section/key, without blanks around it; nothing when the
// section or the key is missing.
std::optional<std::string> ReadProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);

// The text with section/key set to value: the key's line replaced, or the key
// added at the end of its section, or the section added at the end of the
// text. Every other line stays as it was. New lines end in CRLF.
std::string WriteProfileValue(std::string_view text, std::string_view section, std::string_view key,
                              std::string_view value);

}  // namespace caraudio::storage
