#include "LinkTiming.h"

#include <chrono>
#include <thread>

namespace caraudio {

void RealSleeper::SleepMs(int milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace caraudio
