#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "CliCommands.h"
#include "HexBlock.h"
#include "InstanceLock.h"
#include "SceneRecord.h"

namespace caraudio::cli {
namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

std::string Drain(std::FILE* f) {
    std::rewind(f);
    std::string s;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

Result RunCli(std::vector<std::string_view> args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int status = Run(args, out, err);
    return {status, Drain(out), Drain(err)};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

TEST(Cli, DumpWithoutABoxPrintsTheFactoryImage) {
    const Result r = RunCli({"dump"});
    EXPECT_EQ(r.status, 0);
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 642u);
    EXPECT_EQ(lines[4], "CarAudio:          MainVol =   66(66) = 0x0042  (1 bytes)");
    EXPECT_EQ(lines[30], "CarAudio: Box0_LFliter_Freq = 20000(20000) = 0x4E20  (2 bytes)");
    EXPECT_EQ(lines[42], "CarAudio:       Box0_EQ0_Q =  760(760) = 0x02F8  (2 bytes)");
    EXPECT_EQ(lines[599], "CarAudio: Box0_Param_Threshold =  600(600) = 0x0258  (2 bytes)");
    EXPECT_EQ(lines[617], "CarAudio:        NoiseGate =    0(0) = 0x0000  (1 bytes)");
    EXPECT_NE(r.err.find("factory image"), std::string::npos);
}

TEST(Cli, CommandLineMistakesAreExplained) {
    const struct {
        std::vector<std::string_view> args;
        int status;
        const char* said;
    } cases[] = {
        {{}, 2, "Usage"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"dump", "extra"}, 2, "usage: caraudio-cli dump"},
        {{"--bogus", "info"}, 2, "unknown option '--bogus'"},
        {{"--emulate"}, 2, "Usage"},
        {{"--emulate", "set", "NoSuchThing", "1"}, 2, "no parameter is called 'NoSuchThing'"},
        {{"--emulate", "set", "MainVol", "12x"}, 2, "RAW must be a whole number"},
        {{"--emulate", "set", "MainVol", "65536"}, 2, "RAW must be a whole number"},
        {{"--emulate", "set", "MainVol", "-32769"}, 2, "RAW must be a whole number"},
        {{"--emulate", "recall", "0"}, 2, "recall takes 1..8"},
        {{"--emulate", "recall", "10"}, 2, "recall takes 1..8"},
        {{"--emulate", "store", "9"}, 2, "store takes 1..8"},
        {{"--emulate", "write", "/nonexistent/image"}, 1, "cannot read /nonexistent/image"},
        {{"--emulate", "read", "/nonexistent/dir/image"}, 1, "cannot write /nonexistent/dir/image"},
    };
    for (const auto& c : cases) {
        const Result r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
}

TEST(Cli, HelpListsEveryCommand) {
    const Result r = RunCli({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* command :
         {"info", "dump", "read FILE", "write FILE", "recall N", "store N", "set NAME RAW"})
        EXPECT_NE(r.out.find(std::string("  ") + command + " "), std::string::npos) << command;
    EXPECT_EQ(RunCli({"--version"}).out.rfind("caraudio-cli ", 0), 0u);
}

class CliWithBox : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("cli-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        memory_ = "--emulate=" + (dir_ / "box.mem").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    Result Box(std::vector<std::string_view> args) {
        args.insert(args.begin(), memory_);
        return RunCli(args);
    }
    std::string File(const char* name) const { return (dir_ / name).string(); }

    std::filesystem::path dir_;
    std::string memory_;
};

TEST_F(CliWithBox, InfoShowsTheEmulatedBox) {
    const Result r = Box({"info"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "box: emulator:0\nstatus: connected\ncurrent mode: 1 (USER-1)\nimage size: 1230 bytes\n"
              "input mode: 2 Channel\n");
}

TEST_F(CliWithBox, TheEmulatedBoxRemembersBetweenRuns) {
    EXPECT_EQ(Box({"set", "box3_eq17_gain", "-200"}).out, "Box3_EQ17_Gain = 65336(-200) sent.\n");
    EXPECT_EQ(Box({"set", "Box3_EQ17_Gain", "0xFF38"}).out, "Box3_EQ17_Gain is already 65336(-200).\n");
    EXPECT_EQ(Box({"store", "8"}).status, 0);
    EXPECT_EQ(Box({"set", "MainVol", "300"}).err,
              "caraudio-cli: MainVol is one byte; only the low byte 44 is stored.\n");
    EXPECT_EQ(Lines(Box({"dump"}).out)[4], "CarAudio:          MainVol =   44(44) = 0x002C  (1 bytes)");
    const Result recalled = Box({"recall", "8"});
    EXPECT_EQ(recalled.out, "Recalled USER-8.\n");
    const auto lines = Lines(Box({"dump"}).out);
    EXPECT_EQ(lines[4], "CarAudio:          MainVol =   66(66) = 0x0042  (1 bytes)");
    EXPECT_EQ(lines[373], "CarAudio:   Box3_EQ17_Gain = 65336(-200) = 0xFF38  (2 bytes)");
    EXPECT_NE(Box({"info"}).out.find("current mode: 8 (USER-8)"), std::string::npos);
    EXPECT_EQ(Box({"recall", "9"}).out, "Recalled Factory settings.\n");
    EXPECT_EQ(Lines(Box({"dump"}).out)[373], "CarAudio:   Box3_EQ17_Gain =    0(0) = 0x0000  (2 bytes)");
}

TEST_F(CliWithBox, ImagesGoToFilesAndBack) {
    ASSERT_EQ(Box({"set", "Delay_2", "480"}).status, 0);
    const std::string image = File("image.bin");
    EXPECT_EQ(Box({"read", image}).status, 0);
    EXPECT_EQ(std::filesystem::file_size(image), 1230u);
    ASSERT_EQ(Box({"recall", "9"}).status, 0);
    EXPECT_EQ(Box({"write", image}).out, "Sent " + image + " to the box.\n");
    EXPECT_NE(Box({"dump"}).out.find("Delay_2 =  480(480)"), std::string::npos);

    const std::string shortFile = File("short.bin");
    std::ofstream(shortFile) << "tiny";
    const Result bad = Box({"write", shortFile});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("is 4 bytes; an image is exactly 1230 bytes"), std::string::npos);
}

TEST_F(CliWithBox, CurveIsATextCurveOfTheChannel) {
    ASSERT_EQ(Box({"set", "Box3_EQ20_Gain", "900"}).status, 0);  // +9 dB at 2 kHz on CH2
    const Result r = Box({"curve", "--channel", "CH2"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 1026u);
    EXPECT_EQ(lines[0][0], '*');
    double peakHz = 0, peakDb = -1e9, firstHz = 0;
    for (size_t i = 2; i < lines.size(); ++i) {
        double hz, db;
        ASSERT_EQ(std::sscanf(lines[i].c_str(), "%lf %lf", &hz, &db), 2) << lines[i];
        if (i == 2) firstHz = hz;
        if (db > peakDb) peakDb = db, peakHz = hz;
    }
    EXPECT_DOUBLE_EQ(firstHz, 17);
    EXPECT_NEAR(peakDb, 9, 0.05);
    EXPECT_NEAR(peakHz, 2000, 40);
    const auto band = Lines(Box({"curve", "--channel", "ch2", "--filter", "20"}).out);
    EXPECT_EQ(band.size(), 1026u);
    EXPECT_NE(band[0].find("filter 20"), std::string::npos);
    EXPECT_EQ(Box({"curve", "--filter", "35"}).status, 2);
    EXPECT_EQ(Box({"curve", "--channel", "CH7"}).status, 2);
    const std::string image = File("image.bin");
    ASSERT_EQ(Box({"read", image}).status, 0);
    EXPECT_EQ(Lines(RunCli({"curve", "--image", image, "--channel", "CH2"}).out), lines)
        << "the same from a file";
}

TEST_F(CliWithBox, ADamagedMemoryFileIsLeftAlone) {
    const std::string mem = File("box.mem");
    std::ofstream(mem) << "something else";
    const Result r = Box({"info"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("is not the memory of an emulated box"), std::string::npos);
    std::ifstream in(mem);
    std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "something else");
}

// PC scenes live in the data folder, and the program's lock in the runtime
// folder; each test has its own.
class CliScenes : public CliWithBox {
protected:
    void SetUp() override {
        CliWithBox::SetUp();
        for (const auto& [name, folder] :
             {std::pair{"XDG_DATA_HOME", "data"}, {"XDG_RUNTIME_DIR", "runtime"}}) {
            const char* old = std::getenv(name);
            saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            std::filesystem::create_directories(dir_ / folder);
            ::setenv(name, (dir_ / folder).c_str(), 1);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name, value->c_str(), 1);
            else
                ::unsetenv(name);
        }
        CliWithBox::TearDown();
    }
    std::string ConfigIni() const { return (dir_ / "data" / "CarAudioHalvern" / "config.ini").string(); }
    std::string ReadConfigIni() const {
        std::ifstream in(ConfigIni(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // config.ini holding the scene "First" and, after a NUL, what the INI
    // library cannot read; returns what the file now holds.
    std::string DamagedSettingsHoldingFirst(const std::string& image) {
        EXPECT_EQ(RunCli({"scene-add", "First", "--image", image}).status, 0);
        const std::string damaged = ReadConfigIni() + std::string("\0\0junk", 6);
        std::ofstream(ConfigIni(), std::ios::binary) << damaged;
        return damaged;
    }
    // A scene file whose record holds these name units.
    std::string SceneFile(const char* file, const std::u16string& name) const {
        std::array<uint8_t, storage::SceneRecord::kSize> bytes{};
        for (size_t i = 0; i < name.size(); ++i) {
            bytes[2 * i] = static_cast<uint8_t>(name[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<uint8_t>(name[i] >> 8);
        }
        std::ofstream(File(file), std::ios::binary)
            << "[CAEConfig]\r\ndata=" << storage::EncodeProfileStruct(bytes.data(), bytes.size()) << "\r\n";
        return File(file);
    }
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(CliScenes, AddExportDeleteImportRecall) {
    EXPECT_NE(RunCli({"scenes"}).out.find("No PC scenes"), std::string::npos);
    ASSERT_EQ(Box({"set", "MainVol", "33"}).status, 0);
    EXPECT_EQ(Box({"scene-add", "  Bass  "}).out, "Added scene 1: Bass\n");
    const Result again = Box({"scene-add", "BASS"});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.err, "caraudio-cli: A scene with the same name already exists\n");
    EXPECT_EQ(RunCli({"scene-add", "   "}).status, 3) << "no box to take the image from";
    const std::string cae = File("bass.cae");
    EXPECT_EQ(RunCli({"scene-export", "1", cae}).out, "Exporting the scene successfully\n");
    EXPECT_EQ(RunCli({"scene-delete", "1"}).out, "Deleted scene 1: Bass\n");
    EXPECT_EQ(RunCli({"scene-delete", "1"}).status, 1);
    EXPECT_EQ(RunCli({"scene-import", cae}).out, "1 scene files imported successfully.\n");
    EXPECT_EQ(RunCli({"scenes"}).out, "  1  Bass\n");
    EXPECT_EQ(RunCli({"scene-import", "--duplicates=skip", cae, File("none.cae")}).out,
              "0 scene files imported successfully.\n1 scene file reads failed:none.cae \n"
              "1 scenes have already existed：bass.cae \n");
    ASSERT_EQ(Box({"recall", "9"}).status, 0);
    EXPECT_EQ(Box({"scene-recall", "1"}).out, "Call the computer scene successfully!\n");
    EXPECT_NE(Box({"dump"}).out.find("MainVol =   33(33)"), std::string::npos);
    EXPECT_EQ(RunCli({"scene-recall", "2"}).status, 1);
}

TEST_F(CliScenes, ScenesFromAnImageFile) {
    const std::string image = File("image.bin");
    ASSERT_EQ(Box({"read", image}).status, 0);
    EXPECT_EQ(RunCli({"scene-add", "From file", "--image", image}).out, "Added scene 1: From file\n");
    EXPECT_EQ(RunCli({"scene-add", "--image", File("missing.bin"), "x"}).status, 1);
    EXPECT_EQ(RunCli({"scene-add", "a", "b"}).status, 2);
}

// A name that held a line break would start a new line, or a new section,
// of config.ini: one imported file could empty the whole list.
TEST_F(CliScenes, NamesNeverBreakALineOfTheSettingsFile) {
    const std::string image = File("image.bin");
    ASSERT_EQ(Box({"read", image}).status, 0);
    EXPECT_EQ(RunCli({"scene-add", "Bass\nBoost", "--image", image}).out, "Added scene 1: Bass Boost\n");
    const std::string evil = SceneFile("evil.cae", u"Evil\r\n[PCMode]\r\nCount=0\x1B[2J");
    EXPECT_EQ(RunCli({"scene-import", evil}).out, "1 scene files imported successfully.\n");
    EXPECT_EQ(RunCli({"scenes"}).out, "  1  Bass Boost\n  2  Evil  [PCMode]  Count=0 [2J\n");
    const std::string ini = ReadConfigIni();
    EXPECT_EQ(std::count(ini.begin(), ini.end(), '['), 4) << "[PCMode], [PCModeName], and the two in a name";
    EXPECT_EQ(ini.find("\nCount=0"), std::string::npos);
    EXPECT_EQ(ini.find('\x1B'), std::string::npos);
}

// The program keeps its own copy of the scenes and writes it back whole: a
// change made here meanwhile would be lost. Reading is fine.
TEST_F(CliScenes, ChangesWaitUntilTheProgramHasClosed) {
    const std::string image = File("image.bin");
    ASSERT_EQ(Box({"read", image}).status, 0);
    ASSERT_EQ(RunCli({"scene-add", "Kept", "--image", image}).status, 0);
    const std::string cae = File("kept.cae");
    storage::InstanceLock program((dir_ / "runtime").string());
    ASSERT_TRUE(program.TryLock());
    const std::string before = ReadConfigIni();
    const std::vector<std::vector<std::string_view>> changes = {
        {"scene-add", "New", "--image", image}, {"scene-delete", "1"}, {"scene-import", cae}};
    EXPECT_EQ(RunCli({"scene-export", "1", cae}).status, 0);
    for (const auto& change : changes) {
        const Result r = RunCli(change);
        EXPECT_EQ(r.status, 1) << change[0];
        EXPECT_EQ(r.err,
                  "caraudio-cli: the program is running and keeps its own copy of the PC scenes; close it "
                  "before changing them here.\n")
            << change[0];
        EXPECT_TRUE(r.out.empty()) << change[0];
    }
    EXPECT_EQ(RunCli({"scenes"}).out, "  1  Kept\n");
    EXPECT_TRUE(ReadConfigIni() == before) << "config.ini untouched";
    program.Release();
    EXPECT_EQ(RunCli({"scene-delete", "1"}).status, 0);
}

TEST_F(CliScenes, ASettingsFileThatCannotBeWrittenFailsEveryChange) {
    const std::string cae = SceneFile("road.cae", u"Road");
    // A folder in config.ini's place: nothing can be read or written there.
    std::filesystem::create_directories(ConfigIni());
    const std::string unreadable =
        "caraudio-cli: " + ConfigIni() +
        " cannot be read; it is left as it is, and no change can be saved to it.\n";
    const std::string notKept =
        "caraudio-cli: " + ConfigIni() + " could not be written; the change is not kept.\n";
    const Result imported = RunCli({"scene-import", cae});
    EXPECT_EQ(imported.status, 1);
    EXPECT_EQ(imported.err, unreadable + notKept);
    EXPECT_EQ(imported.out, "1 scene files imported successfully.\n");
    const Result listed = RunCli({"scenes"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.err, unreadable);
    EXPECT_TRUE(std::filesystem::is_directory(ConfigIni()));
}

// A command that only reads writes nothing the program owns: a damaged
// config.ini is read as far as it can be and left as it is, whether the
// program runs or not.
TEST_F(CliScenes, ReadingCommandsLeaveADamagedSettingsFileAlone) {
    const std::string image = File("image.bin");
    ASSERT_EQ(Box({"read", image}).status, 0);
    const std::string damaged = DamagedSettingsHoldingFirst(image);
    const std::string cae = File("first.cae");
    const struct {
        std::vector<std::string_view> args;
        const char* out;
    } reads[] = {
        {{"scenes"}, "  1  First\n"},
        {{"scene-export", "1", cae}, "Exporting the scene successfully\n"},
        {{memory_, "scene-recall", "1"}, "Call the computer scene successfully!\n"},
    };
    const std::string said =
        "caraudio-cli: " + ConfigIni() +
        " is damaged; what could be read of it is used, and the file is left as it is.\n";
    for (const bool programRuns : {false, true}) {
        storage::InstanceLock program((dir_ / "runtime").string());
        if (programRuns) {
            ASSERT_TRUE(program.TryLock());
        }
        for (const auto& read : reads) {
            const Result r = RunCli(read.args);
            EXPECT_EQ(r.status, 0) << read.args[0] << r.err;
            EXPECT_EQ(r.out, read.out);
            EXPECT_EQ(r.err, said) << read.args[0];
            EXPECT_TRUE(ReadConfigIni() == damaged) << read.args[0] << ", program runs: " << programRuns;
            EXPECT_EQ(
                std::distance(std::filesystem::directory_iterator(dir_ / "data" / "CarAudioHalvern"), {}), 1)
                << "nothing beside config.ini after " << read.args[0];
        }
    }
}

// A change keeps the whole damaged file under a name of its own first; what
// could be read, with the change, is then config.ini.
TEST_F(CliScenes, AChangeKeepsTheDamagedSettingsFileAndGoesOnWithWhatWasRead) {
    const std::string image = File("image.bin");
    ASSERT_EQ(Box({"read", image}).status, 0);
    const std::string damaged = DamagedSettingsHoldingFirst(image);
    const Result r = RunCli({"scene-add", "Second", "--image", image});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Added scene 2: Second\n");
    EXPECT_EQ(r.err, "caraudio-cli: " + ConfigIni() +
                         " was damaged; what could be read of it is in use, and the whole file was kept as " +
                         ConfigIni() + ".unreadable.\n");
    std::ifstream kept(ConfigIni() + ".unreadable", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), damaged);
    const Result next = RunCli({"scenes"});
    EXPECT_EQ(next.out, "  1  First\n  2  Second\n");
    EXPECT_TRUE(next.err.empty()) << "config.ini was read whole the next time";
}

}  // namespace
}  // namespace caraudio::cli
