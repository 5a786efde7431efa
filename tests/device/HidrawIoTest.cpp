#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <thread>

#include "HidrawIo.h"

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

}  // namespace
}  // namespace caraudio
