#pragma once

namespace caraudio {

// The fixed waits of the connection steps (the receive thread's hand-over,
// the pause after a removal). Tests and benchmarks count them instead of
// sleeping through them.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void SleepMs(int milliseconds) = 0;
};

class RealSleeper final : public Sleeper {
public:
    void SleepMs(int milliseconds) override;
};

// Keeps the interface responsive during the long wait after a box arrives:
// the program's event loop runs for that time. Without a loop it only waits.
class MessagePump {
public:
    virtual ~MessagePump() = default;
    virtual void PumpFor(int milliseconds) = 0;
};

class SleepingPump final : public MessagePump {
public:
    explicit SleepingPump(Sleeper& sleeper) : sleeper_(sleeper) {}
    void PumpFor(int milliseconds) override { sleeper_.SleepMs(milliseconds); }

private:
    Sleeper& sleeper_;
};

}  // namespace caraudio
