#include "DeviceNames.h"

#include <cstdio>

namespace caraudio {
namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool ReadHex4(std::string_view text, size_t at, uint16_t& value) {
    if (at + 4 > text.size()) return false;
    unsigned v = 0;
    for (size_t i = at; i < at + 4; ++i) {
        const char c = Upper(text[i]);
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        v = v * 16 + static_cast<unsigned>(digit);
    }
    value = static_cast<uint16_t>(v);
    return true;
}

}  // namespace

std::string InterfaceName(uint16_t vendorId, uint16_t productId, std::string_view path) {
    char prefix[40];
    std::snprintf(prefix, sizeof prefix, "\\\\?\\HID#VID_%04X&PID_%04X#", vendorId, productId);
    return std::string(prefix).append(path);
}

bool ParseVidPid(std::string_view name, uint16_t& vendorId, uint16_t& productId) {
    std::string upper(name);
    for (char& c : upper) c = Upper(c);
    const size_t hash = upper.find("#VID_");
    if (hash == std::string::npos) return false;
    uint16_t vid, pid;
    if (!ReadHex4(upper, hash + 5, vid) || !ReadHex4(upper, hash + 14, pid)) return false;
    vendorId = vid;
    productId = pid;
    return true;
}

bool SamePath(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

}  // namespace caraudio
