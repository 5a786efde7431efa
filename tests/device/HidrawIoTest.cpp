#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "HidrawIo.h"
#include "ReportWriter.h"

namespace caraudio {
namespace {

// The read and write steps of the hidraw transport on a packet socket, which
// keeps report boundaries, hangs up when its peer goes, as a hidraw node does
// when the box is unplugged, and fills up when its peer stops reading.
class HidrawIo : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds_), 0);
        wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        ASSERT_GE(wake_, 0);
    }
    void TearDown() override {
        for (int fd : {fds_[0], fds_[1], wake_})
            if (fd >= 0) ::close(fd);
    }
    int fds_[2] = {-1, -1};
    int wake_ = -1;
};

TEST_F(HidrawIo, ReportsWakesAndHangUps) {
    std::array<uint8_t, 64> report{};
    report[0] = 0x95;
    report[63] = 0x42;
    ASSERT_EQ(::write(fds_[1], report.data(), report.size()), 64);
    ASSERT_EQ(::write(fds_[1], report.data(), 10), 10);
    std::array<uint8_t, 64> got{};
    ASSERT_TRUE(WaitAndReadReport(fds_[0], wake_, got.data(), got.size()));
    EXPECT_EQ(got, report);
    got.fill(0);
    ASSERT_TRUE(WaitAndReadReport(fds_[0], wake_, got.data(), got.size()));
    EXPECT_EQ(got[0], 0x95);
    EXPECT_EQ(got[10], 0) << "one report per read";

    const uint64_t one = 1;
    ASSERT_EQ(::write(wake_, &one, sizeof one), 8);
    got.fill(0x11);
    EXPECT_TRUE(WaitAndReadReport(fds_[0], wake_, got.data(), got.size()));
    EXPECT_EQ(got[0], 0x11) << "a wake reads nothing";

    ::close(fds_[1]);
    fds_[1] = -1;
    EXPECT_FALSE(WaitAndReadReport(fds_[0], wake_, got.data(), got.size()));
}

TEST_F(HidrawIo, AWriteNobodyTakesGivesUpAtItsTimeout) {
    std::array<uint8_t, 65> report{};
    report[1] = 0x94;
    // Only the program's end is non-blocking: the box's end reads at leisure.
    ASSERT_EQ(::fcntl(fds_[0], F_SETFL, ::fcntl(fds_[0], F_GETFL) | O_NONBLOCK), 0);
    int taken = 0;
    while (taken < 100000 && WriteReportWithin(fds_[0], report.data(), report.size(), 0) == 0) ++taken;
    ASSERT_GT(taken, 0);
    ASSERT_LT(taken, 100000) << "the socket never filled up";
    EXPECT_EQ(WriteReportWithin(fds_[0], report.data(), report.size(), 50), EAGAIN);

    // A box that catches up while the write waits lets it through. (It
    // starts late so the write is waiting by then.)
    std::thread box([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::array<uint8_t, 65> got{};
        for (int i = 0; i < taken; ++i) [[maybe_unused]] ssize_t n = ::read(fds_[1], got.data(), got.size());
    });
    EXPECT_EQ(WriteReportWithin(fds_[0], report.data(), report.size(), 60000), 0);
    box.join();
}

// A descriptor whose write() blocks, as a hidraw node's does while its box
// does not read: a blocking packet socket that is full and that nobody reads.
// The box reads only once the writer's caller is done (or, should a step
// wait for it, after ten seconds), so a step that returns did not wait.
TEST_F(HidrawIo, AReportHeldInTheKernelHoldsOnlyTheWritersThread) {
    const int flags = ::fcntl(fds_[0], F_GETFL);
    ASSERT_EQ(::fcntl(fds_[0], F_SETFL, flags | O_NONBLOCK), 0);
    std::array<uint8_t, 65> filler{};
    filler[1] = 0x11;
    int taken = 0;
    while (taken < 100000 && ::write(fds_[0], filler.data(), filler.size()) == 65) ++taken;
    ASSERT_LT(taken, 100000) << "the socket never filled up";
    ASSERT_EQ(::fcntl(fds_[0], F_SETFL, flags), 0);

    auto writer = ReportWriter::Start(fds_[0]);
    ASSERT_TRUE(writer);
    fds_[0] = -1;  // the writer's now
    std::atomic<bool> callerDone{false};
    std::promise<void> letBoxRead;
    std::vector<uint8_t> arrived;  // byte 1 of each report, in order
    bool ended = false;
    bool callerDoneFirst = false;
    std::thread box([&, go = letBoxRead.get_future()] {
        go.wait_for(std::chrono::seconds(10));
        callerDoneFirst = callerDone;
        std::array<uint8_t, 65> got{};
        pollfd p{fds_[1], POLLIN, 0};
        while (::poll(&p, 1, 10000) == 1) {
            const ssize_t n = ::read(fds_[1], got.data(), got.size());
            if (n <= 0) {
                ended = n == 0;
                break;
            }
            arrived.push_back(got[1]);
        }
    });

    std::array<uint8_t, 65> mode{}, image{};
    mode[1] = 0x94;
    image[1] = 0x96;
    const int results[] = {writer->Write(mode.data(), mode.size(), 200),
                           writer->Write(image.data(), image.size(), 200),
                           writer->Write(image.data(), image.size(), 200)};
    writer.reset();
    callerDone = true;
    letBoxRead.set_value();
    box.join();

    EXPECT_TRUE(callerDoneFirst) << "a step waited for the box to read";
    EXPECT_EQ(results[0], EAGAIN) << "held in the kernel past its time";
    EXPECT_EQ(results[1], EBUSY) << "the first still held";
    EXPECT_EQ(results[2], EBUSY);
    // The held report went out whole once the box read, and nothing after
    // it; then the thread let go of the descriptor.
    std::vector<uint8_t> expected(static_cast<size_t>(taken), 0x11);
    expected.push_back(0x94);
    EXPECT_EQ(arrived, expected);
    EXPECT_TRUE(ended) << "the writer's thread closed the descriptor";
}

}  // namespace
}  // namespace caraudio
