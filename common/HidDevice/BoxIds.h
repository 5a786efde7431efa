#pragma once

#include <cstdint>

namespace caraudio {

// The box's USB identifiers, fixed when the program is built
// (CARAUDIO_USB_VID and CARAUDIO_USB_PID).
inline constexpr uint16_t kBoxVendorId = CARAUDIO_USB_VID;
inline constexpr uint16_t kBoxProductId = CARAUDIO_USB_PID;

}  // namespace caraudio
