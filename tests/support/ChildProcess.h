#pragma once

// A program run as a child process, the way a shell starts one, with its
// output caught: for tests that need two processes at once, a disk that is
// full (a file size limit), another user, or a program that must not hang.

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <string>
#include <vector>

namespace caraudio::test {

struct ChildOptions {
    // RLIMIT_FSIZE in bytes: writing past it fails with EFBIG (SIGXFSZ is
    // ignored), as a disk that fills up there would. Negative: no limit.
    long fileSizeLimit = -1;
    // When the test runs as root, the child runs as user nobody, so that a
    // file without read permission is one it cannot read.
    bool withoutRoot = false;
    // A child still running then is killed and counts as hung.
    std::chrono::seconds timeout{30};
};

struct ChildResult {
    int status = -1;  // the exit status; -1 when it did not exit by itself
    bool hung = false;
    std::string out, err;
};

inline ChildResult RunChild(const std::vector<std::string>& command, const ChildOptions& options = {}) {
    ChildResult r;
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return r;
    // Everything the child needs is made before the fork: between fork and
    // exec a child of a threaded process may only make system calls.
    std::vector<char*> argv;
    for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const rlimit limit{static_cast<rlim_t>(options.fileSizeLimit),
                       static_cast<rlim_t>(options.fileSizeLimit)};
    const bool dropRoot = options.withoutRoot && ::geteuid() == 0;
    const pid_t pid = ::fork();
    if (pid < 0) return r;
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        if (options.fileSizeLimit >= 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        constexpr uid_t kNobody = 65534;
        if (dropRoot && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(126);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&r.out, &r.err};
    const auto deadline = std::chrono::steady_clock::now() + options.timeout;
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            r.hung = true;
            ::kill(pid, SIGKILL);
            break;
        }
        if (::poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& f : fds)
        if (f.fd >= 0) ::close(f.fd);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!r.hung && WIFEXITED(status)) r.status = WEXITSTATUS(status);
    return r;
}

}  // namespace caraudio::test
