#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "BoxMemoryFile.h"
#include "CheckByte.h"
#include "EmulatedBoxSetup.h"
#include "FileLock.h"

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

// Each frame is answered as it is, and not at all with one byte set where its
// command puts nothing.
TEST(Firmware, IgnoresFramesWithDataWhereNoneBelongs) {
    const struct {
        const char* what;
        Frame good;
        int at;
        uint8_t value;
    } cases[] = {
        {"status byte", Request({{0, 0x94}}), 3, 0xFF},
        {"byte 1", Request({{0, 0x94}}), 1, 0x01},
        {"byte 2 of a mode read", Request({{0, 0x94}}), 2, 0x01},
        {"payload of a mode read", Request({{0, 0x94}}), 40, 0x01},
        {"payload of a chunk read", Request({{0, 0x96}, {2, 3}}), 4, 0x01},
        {"end of a chunk read", Request({{0, 0x96}, {2, 3}}), 62, 0x80},
        {"byte 1 of a chunk write", Request({{0, 0x98}, {2, 0}}), 1, 0x01},
        {"unused record slot", Request({{0, 0x9C}, {4, 1}, {5, 4}, {7, 1}, {8, 5}}), 10, 0x01},
        {"last bytes after 11 records", Request({{0, 0x9C}, {4, 0}}), 60, 0x01},
        {"byte 1 of parameters", Request({{0, 0x9C}}), 1, 0x01},
        {"past the handshake ids", Request({{0, 0x90}, {4, 1}, {12, 0x0A}}), 13, 0x01},
        {"beside a recalled mode", Request({{0, 0x92}, {4, 1}}), 5, 0x01},
        {"beside a stored slot", Request({{0, 0x9E}, {4, 1}}), 5, 0x01},
        {"a mode in an input mode query", Request({{0, 0xA6}, {4, 0}}), 5, 0x01},
        {"past an input mode setting", Request({{0, 0xA6}, {4, 1}, {5, 1}}), 6, 0x01},
        {"between key values", Request({{0, 0x0E}, {6, 0x34}, {12, 0x78}}), 10, 0x01},
        {"key value above 32766", Request({{0, 0x0E}, {6, 0xFE}, {7, 0x7F}}), 6, 0xFF},
        {"status of an unknown command", Request({{0, 0x42}}), 3, 0x01},
    };
    for (const auto& c : cases) {
        BoxFirmware box;
        EXPECT_TRUE(box.Handle(c.good).has_value()) << c.what;
        Frame bad = c.good;
        bad[static_cast<size_t>(c.at)] = c.value;
        bad[63] = CheckByte(bad.data(), 63);
        EXPECT_FALSE(box.Handle(bad).has_value()) << c.what;
    }
}

// Chunk k of a whole image, filled with one byte.
Frame Chunk(int k, uint8_t fill = 0x5A) {
    Frame f{};
    f[0] = 0x98;
    f[2] = static_cast<uint8_t>(k);
    const int n = k < 20 ? 59 : 50;
    std::fill_n(f.begin() + 4, n, fill);
    f[63] = CheckByte(f.data(), 63);
    return f;
}

// A whole image goes as chunks 0..20, each once and in order; a chunk sent
// again unchanged (its reply was lost) is answered again.
TEST(Firmware, ImageChunksGoInOrder) {
    const Frame mode = Request({{0, 0x94}});
    const struct {
        const char* what;
        std::vector<Frame> frames;
        std::vector<bool> answered;
    } cases[] = {
        {"starts with 1", {Chunk(1)}, {false}},
        {"skips 2", {Chunk(0), Chunk(1), Chunk(3)}, {true, true, false}},
        {"goes back", {Chunk(0), Chunk(1), Chunk(2), Chunk(1)}, {true, true, true, false}},
        {"sends 1 again", {Chunk(0), Chunk(1), Chunk(1)}, {true, true, true}},
        {"sends 1 again changed", {Chunk(0), Chunk(1), Chunk(1, 0x11)}, {true, true, false}},
        {"starts over", {Chunk(0), Chunk(1), Chunk(0), Chunk(1)}, {true, true, true, true}},
        {"another command between", {Chunk(0), mode, Chunk(1)}, {true, true, false}},
    };
    for (const auto& c : cases) {
        BoxFirmware box;
        std::vector<bool> answered;
        for (const Frame& f : c.frames) answered.push_back(box.Handle(f).has_value());
        EXPECT_EQ(answered, c.answered) << c.what;
        EXPECT_EQ(box.CompleteImageWrites(), 0) << c.what;
    }

    BoxFirmware box;
    for (int k = 0; k < 20; ++k) ASSERT_TRUE(box.Handle(Chunk(k, static_cast<uint8_t>(k))).has_value()) << k;
    Frame tail = Chunk(20, 20);
    tail[54] = 0x01;  // the chunk holds 50 bytes, 4..53
    tail[63] = CheckByte(tail.data(), 63);
    EXPECT_FALSE(box.Handle(tail).has_value());
    EXPECT_EQ(box.CompleteImageWrites(), 0);
    EXPECT_TRUE(box.Handle(Chunk(20, 20)).has_value());
    EXPECT_TRUE(box.Handle(Chunk(20, 20)).has_value()) << "sent again: answered, not counted";
    EXPECT_FALSE(box.Handle(Chunk(21, 0)).has_value()) << "there is no chunk 21";
    EXPECT_EQ(box.CompleteImageWrites(), 1);
    const EffectBlock image = box.CurrentImage();
    EXPECT_EQ(image.Byte(0), 0);
    EXPECT_EQ(image.Byte(58), 0);
    EXPECT_EQ(image.Byte(59), 1);
    EXPECT_EQ(image.Byte(1179), 19);
    EXPECT_EQ(image.Byte(1180), 20);
    EXPECT_EQ(image.Byte(1229), 20);
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
    ASSERT_TRUE(reply.has_value());
    Frame accepted{0x9D, 0x00, 0x00, 0xFF};
    accepted[63] = 0x24;
    EXPECT_EQ(reply->frame, accepted);
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
    box.Handle(Request({{0, 0x98}, {2, 0}}));
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

// Only a regular file of a box memory's exact size is read: a FIFO would
// wait for a writer, /dev/zero never ends, and a file that cannot be read is
// told apart from a missing one (a missing one starts a new box).
TEST_F(MemoryFile, WhatIsNotARegularReadableFileIsRefused) {
    ASSERT_TRUE(SaveBoxMemory(path_, BoxMemory{}));
    const auto size = std::filesystem::file_size(path_);
    std::filesystem::resize_file(path_, size + 1);
    BoxMemory m;
    EXPECT_EQ(LoadBoxMemory(path_, m), BoxMemoryLoad::Damaged) << "one byte too many";
    const std::string fifo = (dir_ / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string zero = (dir_ / "zero").string();
    std::filesystem::create_symlink("/dev/zero", zero);
    // Reading the start of a process's memory fails, whoever reads it.
    const std::string failing = (dir_ / "failing").string();
    std::filesystem::create_symlink("/proc/self/mem", failing);
    const struct {
        std::string path;
        storage::ReadStatus status;
        storage::FileKind kind;
    } cases[] = {
        {fifo, storage::ReadStatus::NotRegular, storage::FileKind::Fifo},
        {zero, storage::ReadStatus::NotRegular, storage::FileKind::CharacterDevice},
        {dir_.string(), storage::ReadStatus::NotRegular, storage::FileKind::Folder},
        {failing, storage::ReadStatus::Failed, storage::FileKind::Regular},
    };
    for (const auto& c : cases) {
        storage::ReadResult why;
        EXPECT_EQ(LoadBoxMemory(c.path, m, &why), BoxMemoryLoad::Unreadable) << c.path;
        EXPECT_EQ(why.status, c.status) << c.path;
        EXPECT_EQ(why.kind, c.kind) << c.path;
    }
}

// The bus holds the memory file's lock for as long as it lives, and never
// starts on a file it could not read: that file is not saved over.
TEST_F(MemoryFile, TheBusHoldsItsFileAndStartsOnlyOnOneItCouldRead) {
    std::unique_ptr<EmulatedHidBackend> bus;
    std::vector<int> saveErrors;
    auto heard = [&](int error) { saveErrors.push_back(error); };
    ASSERT_EQ(MakeEmulatedBus(path_, heard, bus).result, EmulatedSetupResult::Ready);
    EXPECT_TRUE(storage::FileLock::HeldByAnother(path_ + ".lock"));
    std::unique_ptr<EmulatedHidBackend> second;
    const EmulatedSetup busy = MakeEmulatedBus(path_, heard, second, std::chrono::milliseconds(50));
    EXPECT_EQ(busy.result, EmulatedSetupResult::InUse);
    EXPECT_EQ(busy.lockPath, path_ + ".lock");
    EXPECT_EQ(second, nullptr);
    bus.reset();
    EXPECT_FALSE(storage::FileLock::HeldByAnother(path_ + ".lock")) << "let go with the bus";

    const std::string failing = (dir_ / "failing").string();
    std::filesystem::create_symlink("/proc/self/mem", failing);
    const EmulatedSetup unreadable = MakeEmulatedBus(failing, heard, bus);
    EXPECT_EQ(unreadable.result, EmulatedSetupResult::Unreadable);
    EXPECT_EQ(unreadable.read.error, EIO);
    EXPECT_EQ(bus, nullptr);
    EXPECT_TRUE(std::filesystem::is_symlink(failing)) << "never saved over";

    const EmulatedSetup folder = MakeEmulatedBus(dir_.string(), heard, bus);
    EXPECT_EQ(folder.result, EmulatedSetupResult::Unreadable);
    EXPECT_EQ(folder.read.kind, storage::FileKind::Folder);
    EXPECT_FALSE(std::filesystem::exists(dir_.string() + ".lock")) << "nothing made beside a folder";

    // A save that fails is heard with its reason.
    const std::filesystem::path gone = dir_ / "gone";
    std::filesystem::create_directories(gone);
    ASSERT_EQ(MakeEmulatedBus((gone / "box.bin").string(), heard, bus).result, EmulatedSetupResult::Ready);
    std::filesystem::remove_all(gone);
    bus->FindBox("emulator:0")->Firmware().Handle(Request({{0, 0x9E}, {4, 2}}));
    EXPECT_EQ(saveErrors, std::vector<int>{ENOENT});
}

}  // namespace
}  // namespace caraudio::emulator
