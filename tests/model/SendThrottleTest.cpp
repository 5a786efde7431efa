#include "ModelTestSupport.h"

namespace caraudio::test {
namespace {

using Throttle = ConnectedModel;

TEST_F(Throttle, ChangeAfterQuietGoesOutAtOnce) {
    db.SetMainVolume(10);
    ASSERT_EQ(box.SentWith(0x9C).size(), 1u);
    EXPECT_TRUE(timer.armed.empty());
    EXPECT_EQ(db.Throttle().LastFlushTick(), 10000u);
}

TEST_F(Throttle, ChangeWithinTheIntervalWaitsForTheTimer) {
    db.SetMainVolume(10);
    clock.now += 199;
    db.SetMainVolume(11);
    EXPECT_EQ(box.SentWith(0x9C).size(), 1u);
    EXPECT_EQ(timer.armed.count(1012), 1u);
    EXPECT_EQ(timer.lastMs, 200);
    db.Throttle().OnTimer(1011);  // someone else's timer
    EXPECT_EQ(box.SentWith(0x9C).size(), 1u);
    clock.now += 200;
    db.Throttle().OnTimer(1012);
    ASSERT_EQ(box.SentWith(0x9C).size(), 2u);
    EXPECT_EQ(Records(box.SentWith(0x9C)[1]), (std::vector<std::pair<std::string, int>>{{"MainVol", 11}}));
    EXPECT_TRUE(timer.armed.empty());
    EXPECT_EQ(db.Throttle().LastFlushTick(), clock.now);
}

TEST_F(Throttle, ContinuousDragSendsABatchEveryIntervalAndOneAtTheEnd) {
    // A change every 50 ms for 600 ms: out at once, then each time 200 ms
    // have passed since the last batch, then once from the timer.
    std::vector<uint32_t> sentAt;
    for (int i = 0; i <= 12; ++i) {
        const size_t before = box.SentWith(0x9C).size();
        db.SetMainVolume(static_cast<uint16_t>(i + 1));
        if (box.SentWith(0x9C).size() > before) sentAt.push_back(clock.now - 10000);
        clock.now += 50;
    }
    EXPECT_EQ(sentAt, (std::vector<uint32_t>{0, 200, 400, 600}));
    EXPECT_TRUE(timer.armed.empty()) << "the last change went out with the batch at 600";
    db.SetMainVolume(20);
    EXPECT_EQ(timer.armed.count(1012), 1u);
    FireTimer();
    EXPECT_EQ(box.SentWith(0x9C).size(), 5u);
    EXPECT_EQ(box.image.Get(*FindParam(param::MainVol)), 20);
}

TEST_F(Throttle, TickWrapAroundStillMeasuresTheInterval) {
    clock.now = 0xFFFFFF00u;
    db.SetMainVolume(1);      // flush at once, last = 0xFFFFFF00
    clock.now = 0x00000010u;  // 0x110 = 272 ms later across the wrap
    db.SetMainVolume(2);
    EXPECT_EQ(box.SentWith(0x9C).size(), 2u);
    clock.now = 0x00000020u;
    db.SetMainVolume(3);
    EXPECT_EQ(box.SentWith(0x9C).size(), 2u);
    EXPECT_EQ(timer.armed.count(1012), 1u);
}

TEST_F(Throttle, WithoutATimerHostChangesAreNotLeftBehind) {
    db.Throttle().Configure(200, nullptr, 1012);
    db.SetMainVolume(1);
    clock.now += 10;
    db.SetMainVolume(2);
    EXPECT_EQ(box.SentWith(0x9C).size(), 2u);
    EXPECT_TRUE(db.Pending().Empty());
}

}  // namespace
}  // namespace caraudio::test
