#include "HidrawIo.h"

#include <errno.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace caraudio {

bool WaitAndReadReport(int readFd, int wakeFd, uint8_t* into, size_t want) {
    for (;;) {
        pollfd fds[2] = {{readFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (fds[1].revents & POLLIN) {
            uint64_t count;
            [[maybe_unused]] ssize_t drained = ::read(wakeFd, &count, sizeof count);
            return true;  // woken: the caller's buffer stays as it was cleared
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(readFd, into, want);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            return n > 0;  // 0 or an error: the box is gone
        }
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return false;
    }
}

int WriteReportWithin(int writeFd, const uint8_t* report, size_t size, int timeoutMs) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(std::max(0, timeoutMs));
    for (;;) {
        const ssize_t n = ::write(writeFd, report, size);
        if (n == static_cast<ssize_t>(size)) return 0;
        if (n >= 0) return EIO;  // a report goes whole or not at all
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return errno;
        // The device is not taking reports: wait for room, but never longer
        // than the request itself may take.
        const auto left = ceil<milliseconds>(deadline - steady_clock::now()).count();
        if (left <= 0) return EAGAIN;
        pollfd p{writeFd, POLLOUT, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno != EINTR) return errno;
        if (ready > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL))) return EIO;
    }
}

}  // namespace caraudio
