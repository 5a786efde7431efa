#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "BoxMemoryFile.h"
#include "CheckByte.h"

namespace caraudio::emulator {
namespace {

Frame Request(std::initializer_list<std::pair<int, uint8_t>> bytes) {
    Frame f{};
    for (auto [at, v] : bytes) f[static_cast<size_t>(at)] = v;
    f[63] = CheckByte(f.data(), 63);
    return f;
}

uint8_t Status(const std::optional<EmulatedReply>& r) {
    return r ? r->frame[3] : 0x11;
}

TEST(Firmware, RefusesWhatABoxCannotDo) {
    BoxFirmware box;
    const struct {
        const char* what;
        Frame request;
        uint8_t status;
    } cases[] = {
        {"recall slot 1", Request({{0, 0x92}, {4, 1}}), 0xFF},
        {"recall factory", Request({{0, 0x92}, {4, 9}}), 0xFF},
        {"recall mode 0", Request({{0, 0x92}, {4, 0}}), 0x00},
        {"recall mode 10", Request({{0, 0x92}, {4, 10}}), 0x00},
        {"store slot 8", Request({{0, 0x9E}, {4, 8}}), 0xFF},
        {"store slot 9", Request({{0, 0x9E}, {4, 9}}), 0x00},
        {"read chunk 20", Request({{0, 0x96}, {2, 20}}), 0xFF},
        {"read chunk 21", Request({{0, 0x96}, {2, 21}}), 0x00},
        {"12 records", Request({{0, 0x9C}, {4, 12}}), 0x00},
        {"record past the end", Request({{0, 0x9C}, {4, 1}, {5, 0xCD}, {6, 0x04}, {7, 2}}), 0x00},
        {"record of size 3", Request({{0, 0x9C}, {4, 1}, {7, 3}}), 0x00},
        {"input mode 2", Request({{0, 0xA6}, {4, 1}, {5, 2}}), 0x00},
        {"unknown command", Request({{0, 0x42}}), 0x00},
    };
    for (const auto& c : cases) EXPECT_EQ(Status(box.Handle(c.request)), c.status) << c.what;
    Frame corrupt = Request({{0, 0x94}});
    corrupt[63] ^= 1;
    EXPECT_FALSE(box.Handle(corrupt).has_value()) << "a corrupt frame gets no answer";
}

TEST(Firmware, AppliesParameterRecordsByOffsetAndSize) {
    BoxFirmware box;
    // MainVol (offset 4, 1 byte) = 0x0130 keeps 0x30; Delay_0 (offset 11, 2 bytes) = 0x1234.
    const auto reply = box.Handle(Request({{0, 0x9C},
                                           {4, 2},
                                           {5, 4},
                                           {7, 1},
                                           {8, 0x30},
                                           {9, 0x01},
                                           {10, 11},
                                           {12, 2},
                                           {13, 0x34},
                                           {14, 0x12}}));
    ASSERT_EQ(Status(reply), 0xFF);
    EXPECT_EQ(reply->frame[0], 0x9D);
    EXPECT_EQ(reply->frame[63], CheckByte(reply->frame.data(), 63));
    const EffectBlock image = box.CurrentImage();
    EXPECT_EQ(image.Byte(4), 0x30);
    EXPECT_EQ(image.Byte(5), 66) << "the neighbour stays";
    EXPECT_EQ(image.Word(11), 0x1234);
}

TEST(Firmware, HandshakeChecksTheIdentifiers) {
    BoxFirmware box;
    box.SetAcceptedIds(0x01020304, 0x0A0B0C0D);
    const auto good = box.Handle(Request(
        {{0, 0x90}, {4, 1}, {5, 4}, {6, 3}, {7, 2}, {8, 1}, {9, 0x0D}, {10, 0x0C}, {11, 0x0B}, {12, 0x0A}}));
    const auto bad = box.Handle(Request({{0, 0x90}, {4, 1}}));
    ASSERT_TRUE(good && bad);
    EXPECT_EQ(good->frame[4], 1);
    EXPECT_EQ(bad->frame[4], 0);
    EXPECT_EQ(bad->frame[3], 0xFF) << "a refusal is still an answer";
}

TEST(Firmware, MemoryObserverSeesEveryChange) {
    BoxFirmware box;
    int changes = 0;
    box.SetMemoryObserver([&](const BoxMemory&) { ++changes; });
    box.Handle(Request({{0, 0x94}}));
    box.Handle(Request({{0, 0x96}, {2, 3}}));
    EXPECT_EQ(changes, 0);
    box.Handle(Request({{0, 0x98}, {2, 3}}));
    box.Handle(Request({{0, 0x9E}, {4, 2}}));
    box.Handle(Request({{0, 0x92}, {4, 2}}));
    box.Handle(Request({{0, 0xA6}, {4, 1}, {5, 1}}));
    EXPECT_EQ(changes, 4);
}

class MemoryFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("boxmem-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "box.bin").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
    std::string path_;
};

TEST_F(MemoryFile, RoundTripKeepsEverything) {
    BoxMemory m;
    m.current.SetByte(7, 9);
    m.user[5].SetWord(100, 0xBEEF);
    m.factory.SetByte(1229, 3);
    m.modeNumber = 6;
    m.inputMode = 1;
    ASSERT_TRUE(SaveBoxMemory(path_, m));
    BoxMemory back;
    ASSERT_EQ(LoadBoxMemory(path_, back), BoxMemoryLoad::Loaded);
    EXPECT_EQ(back, m);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1) << "no temporary file left";
}

// Two runs on one memory file (the program and the command-line tool, say)
// may save at the same moment: each save goes through a file of its own, so
// both succeed and the file is always one of them, whole.
TEST_F(MemoryFile, SavesAtTheSameTimeDoNotMixTheirFiles) {
    constexpr int kSaves = 150;
    BoxMemory first, second;
    first.current.SetByte(7, 1);
    second.current.SetByte(7, 2);
    int failed[2] = {0, 0};
    std::thread other([&] {
        for (int i = 0; i < kSaves; ++i) failed[1] += !SaveBoxMemory(path_, second);
    });
    int unreadable = 0;
    for (int i = 0; i < kSaves; ++i) {
        failed[0] += !SaveBoxMemory(path_, first);
        BoxMemory now;
        unreadable += LoadBoxMemory(path_, now) != BoxMemoryLoad::Loaded || !(now == first || now == second);
    }
    other.join();
    EXPECT_EQ(failed[0], 0);
    EXPECT_EQ(failed[1], 0);
    EXPECT_EQ(unreadable, 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1) << "no temporary file left";
}

TEST_F(MemoryFile, MissingAndDamagedFilesAreToldApart) {
    BoxMemory m;
    m.modeNumber = 2;
    BoxMemory untouched = m;
    EXPECT_EQ(LoadBoxMemory(path_, m), BoxMemoryLoad::Missing);
    ASSERT_TRUE(SaveBoxMemory(path_, BoxMemory{}));
    const auto size = std::filesystem::file_size(path_);
    {
        std::fstream f(path_, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(500);
        f.put('\x55');
    }
    EXPECT_EQ(LoadBoxMemory(path_, m), BoxMemoryLoad::Damaged);
    std::filesystem::resize_file(path_, size - 10);
    EXPECT_EQ(LoadBoxMemory(path_, m), BoxMemoryLoad::Damaged);
    std::ofstream(path_, std::ios::trunc) << "not a box";
    EXPECT_EQ(LoadBoxMemory(path_, m), BoxMemoryLoad::Damaged);
    EXPECT_EQ(m, untouched) << "a damaged file changes nothing";
    EXPECT_FALSE(SaveBoxMemory((dir_ / "no" / "such" / "dir" / "x").string(), m));
}

}  // namespace
}  // namespace caraudio::emulator
