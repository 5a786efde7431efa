#pragma once

#include <array>

#include "Protocol.h"

namespace caraudio {

// The protocol of one open box: adds the key exchange to the connection.
class CProtocolDev final : public CProtocol {
public:
    static constexpr int kTimeoutMs = 200;
    static constexpr int kTries = 5;

    using CProtocol::CProtocol;

    bool OnNotify(const uint8_t* data, int length) override;
    bool OnConnectDevice(int reserved) override;

    const std::array<uint8_t, 6>& ExchangeKey() const { return key_; }

private:
    bool ExchangeKeys();

    std::array<uint8_t, 6> key_{};
    int timeoutMs_ = kTimeoutMs;
    int tries_ = kTries;
};

}  // namespace caraudio
