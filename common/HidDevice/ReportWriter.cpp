#include "ReportWriter.h"

#include <errno.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>

#include "HidTransport.h"
#include "HidrawIo.h"

namespace caraudio {

using SteadyTime = std::chrono::steady_clock;

// What the caller and the thread share. The thread holds its own reference,
// so a thread left behind in write() keeps the descriptor and the report
// alive after the writer has gone; the last holder closes the descriptor.
struct ReportWriter::Shared {
    // What the thread does with the report slot.
    enum class Stage { Idle, Handed, Writing };

    explicit Shared(int writeFd) : fd(writeFd) {}
    ~Shared() { ::close(fd); }

    void Run();

    const int fd;
    std::mutex lock;  // guards every field below
    // Signalled on every change: the thread waits for a report or the close,
    // the caller for a free slot and for its result.
    std::condition_variable changed;
    Stage stage = Stage::Idle;
    bool closing = false;
    // A copy of the caller's report, so no buffer of the caller crosses to
    // the thread. Written by the caller only while Idle, read by the thread
    // only while Writing.
    std::array<uint8_t, HidTransport::kBufferSize> report{};
    size_t size = 0;
    SteadyTime::time_point deadline;
    uint64_t handed = 0;    // number of the last report handed over
    uint64_t finished = 0;  // number of the last report the thread is done with
    int result = 0;         // of report `finished`
};

void ReportWriter::Shared::Run() {
    std::unique_lock guard(lock);
    for (;;) {
        changed.wait(guard, [this] { return closing || stage == Stage::Handed; });
        if (closing) return;
        stage = Stage::Writing;
        const uint64_t number = handed;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyTime::now()).count();
        guard.unlock();
        const int error =
            WriteReportWithin(fd, report.data(), size, static_cast<int>(std::max<int64_t>(0, left)));
        guard.lock();
        stage = Stage::Idle;
        finished = number;
        result = error;
        changed.notify_all();
    }
}

std::unique_ptr<ReportWriter> ReportWriter::Start(int writeFd) {
    auto shared = std::make_shared<Shared>(writeFd);
    try {
        return std::unique_ptr<ReportWriter>(new ReportWriter(std::move(shared)));
    } catch (const std::system_error&) {
        return nullptr;  // the descriptor went with the last reference
    }
}

ReportWriter::ReportWriter(std::shared_ptr<Shared> shared)
    : shared_(std::move(shared)), thread_([shared = shared_] { shared->Run(); }) {}

ReportWriter::~ReportWriter() {
    bool writing;
    {
        std::lock_guard guard(shared_->lock);
        shared_->closing = true;
        writing = shared_->stage == Shared::Stage::Writing;
    }
    shared_->changed.notify_all();
    // A write held in the kernel may last seconds; the thread finishes it on
    // its own. An idle thread ends at once and is joined.
    if (writing)
        thread_.detach();
    else
        thread_.join();
}

int ReportWriter::Write(const uint8_t* report, size_t size, int timeoutMs) {
    Shared& s = *shared_;
    if (size > s.report.size()) return EINVAL;
    const auto deadline = SteadyTime::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
    std::unique_lock guard(s.lock);
    if (!s.changed.wait_until(guard, deadline, [&] { return s.stage == Shared::Stage::Idle; })) return EBUSY;
    std::memcpy(s.report.data(), report, size);
    s.size = size;
    s.deadline = deadline;
    s.stage = Shared::Stage::Handed;
    const uint64_t number = ++s.handed;
    s.changed.notify_all();
    if (s.changed.wait_until(guard, deadline, [&] { return s.finished == number; })) return s.result;
    // Not written in time. A report the thread has not taken yet is taken
    // back, so it never goes out after its try has given up.
    if (s.stage == Shared::Stage::Handed) s.stage = Shared::Stage::Idle;
    return EAGAIN;
}

}  // namespace caraudio
