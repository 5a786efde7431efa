#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace caraudio {

// The interface name a device broadcast carries: "\\?\HID#VID_vvvv&PID_pppp#"
// followed by the device's path.
std::string InterfaceName(uint16_t vendorId, uint16_t productId, std::string_view path);

// Reads the vendor id from the four characters after "#VID_" and the product
// id from the four starting 14 characters after that "#"; all eight must be
// hexadecimal digits.
bool ParseVidPid(std::string_view name, uint16_t& vendorId, uint16_t& productId);

// Paths compared without regard to letter case.
bool SamePath(std::string_view a, std::string_view b);

}  // namespace caraudio
