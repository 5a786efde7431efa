#pragma once

#include <array>
#include <cstdint>

namespace caraudio {

// One 64-byte frame: command, two command bytes, status, 59 payload bytes
// and the check byte.
inline constexpr int kFrameSize = 64;
inline constexpr int kFramePayloadOffset = 4;
inline constexpr int kFramePayloadSize = 59;
inline constexpr uint8_t kStatusAccepted = 0xFF;
using Frame = std::array<uint8_t, kFrameSize>;

// What the model needs from the connection to the box. The connection
// manager implements it; tests put a scripted box behind it.
class DeviceLink {
public:
    virtual ~DeviceLink() = default;

    // Whether a box is open (a protocol object exists).
    virtual bool IsOpen() const = 0;

    // Lists the attached boxes again; returns how many were found (at most 10).
    virtual int RefreshDeviceList() = 0;

    // Opens the box at that position of the last listing.
    virtual bool ConnectDevice(int position) = 0;

    // Sends bytes 0..62 of the request (the check byte is added here) and
    // waits for a valid reply. False when no box is open or no valid reply came.
    virtual bool SendAndReceive(Frame& request, Frame& reply, int tries, int timeoutMs) = 0;
};

}  // namespace caraudio
