#include "ProtocolDev.h"

#include <ctime>
#include <random>

#include "DeviceCommands.h"

namespace caraudio {
namespace {

// Where the four random values sit in the key-exchange frame.
constexpr int kRandomOffsets[4] = {6, 12, 24, 32};

// 0..32766, from a generator seeded once per run from the clock.
uint32_t NextRandom() {
    static std::minstd_rand generator(static_cast<std::minstd_rand::result_type>(std::time(nullptr)));
    const int r = static_cast<int>(generator() % 32768);
    return static_cast<uint32_t>(r / 32768.0 * 32767);
}

// Six key bytes taken from a frame: two from the first value, one from the
// second, two from the third, one from the fourth.
std::array<uint8_t, 6> KeyOf(const Frame& f) {
    return {f[6], f[7], f[12], f[24], f[25], f[32]};
}

}  // namespace

bool CProtocolDev::OnNotify(const uint8_t* data, int length) {
    return data && length <= kFramePayloadSize;
}

bool CProtocolDev::OnConnectDevice(int reserved) {
    return CProtocol::OnConnectDevice(reserved) && ExchangeKeys();
}

bool CProtocolDev::ExchangeKeys() {
    Frame request{};
    request[0] = command::KeyExchange;
    for (int at : kRandomOffsets) {
        const uint32_t r = NextRandom();
        for (int i = 0; i < 4; ++i) request[static_cast<size_t>(at + i)] = static_cast<uint8_t>(r >> (8 * i));
    }
    key_ = KeyOf(request);
    auto traceKey = [this](const char* format) {
        log_.Trace(format, key_[0] | (key_[1] << 8), key_[2], key_[3] | (key_[4] << 8), key_[5]);
    };
    traceKey("初始的加密key：%04x  %02x   %04x  %02x\n");
    Frame reply{};
    if (!SendAndReceive(request, reply, tries_, timeoutMs_)) {
        log_.Trace("获取新的加密key失败！！\n");
        return false;
    }
    key_ = KeyOf(reply);
    traceKey("获取到新的加密key：%04x  %02x   %04x  %02x\n");
    return true;
}

}  // namespace caraudio
