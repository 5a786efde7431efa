#include "QuitSignals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

namespace caraudio::app {

namespace {

int g_pipe[2] = {-1, -1};  // written by the handler, read by the loop
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[0], &byte, 1);
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> quit) : quit_(std::move(quit)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(g_pipe[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(g_pipe[1], &byte, 1);
        if (quit_) quit_();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals) ::sigaction(s, &action, nullptr);
}

QuitSignals::~QuitSignals() {
    for (int s : kSignals) ::signal(s, SIG_DFL);
    notifier_.reset();
    for (int& fd : g_pipe)
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
}

}  // namespace caraudio::app
