#pragma once

#include <string>
#include <string_view>

namespace caraudio::storage {

// A scene name as the store keeps it, whichever way it came in (typed, read
// from a scene file, loaded from config.ini). Each name is one line of
// config.ini, so control characters become blanks; halves of broken surrogate
// pairs become U+FFFD; blanks at both ends go, as the INI library would drop
// them on the next load; a longer name keeps what fits in `maxUnits` UTF-16
// units without splitting a character.
std::u16string StoredSceneName(std::u16string_view name, size_t maxUnits);

}  // namespace caraudio::storage
