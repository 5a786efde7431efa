#include "Clock.h"

#include <chrono>

namespace caraudio {

uint32_t SteadyClock::TickCount() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(ms);
}

}  // namespace caraudio
