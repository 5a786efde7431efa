// What the tool does with files that are not what they should be: FIFOs,
// devices and folders in a file's place, files it may not read, a full disk,
// and two copies of it changing one file at once.
#include <sys/stat.h>

#include <thread>

#include "ChildProcess.h"
#include "CliRig.h"
#include "FileLock.h"

namespace caraudio::cli {
namespace {

using namespace rig;
using caraudio::test::ChildOptions;
using caraudio::test::ChildResult;
using caraudio::test::RunChild;

// A measurement as a measuring program exports it, the fewest points a
// curve has.
constexpr const char* kMeasurement = "* Freq(Hz) SPL(dB)\n20 80\n20000 80\n";

class CliFiles : public CliScenes {
protected:
    // The tool as a process of its own, with this test's folders.
    ChildResult Tool(std::vector<std::string> args, const ChildOptions& options = {}) const {
        args.insert(args.begin(), CARAUDIO_CLI);
        return RunChild(args, options);
    }
    std::string Text(const char* name, const std::string& text) const {
        std::ofstream(File(name), std::ios::binary) << text;
        return File(name);
    }
    std::string ReadText(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // A whole image of the emulated box, as `read` saves it.
    std::string ImageFile() {
        const std::string image = File("image.bin");
        EXPECT_EQ(Box({"read", image}).status, 0);
        return image;
    }
};

// What a user may give in a file's place, how the tool names it, and how to
// tell afterwards that it is still there as it was.
struct Special {
    const char* kind;  // as the messages say it
    std::function<void(const std::string&)> make;
    std::function<bool(const std::string&)> untouched;
};

const Special kSpecials[] = {
    {"a FIFO", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
     [](const std::string& p) { return std::filesystem::is_fifo(std::filesystem::symlink_status(p)); }},
    {"a device", [](const std::string& p) { std::filesystem::create_symlink("/dev/zero", p); },
     [](const std::string& p) {
         return std::filesystem::is_symlink(p) && std::filesystem::read_symlink(p) == "/dev/zero";
     }},
    {"a folder", [](const std::string& p) { std::filesystem::create_directories(p + "/inside"); },
     [](const std::string& p) { return std::filesystem::exists(p + "/inside"); }},
};

// Each file the tool reads, given a FIFO (which would wait for a writer for
// ever), /dev/zero (which never ends) or a folder: refused at once, named,
// and left as it is.
TEST_F(CliFiles, EveryReaderRefusesWhatIsNotARegularFile) {
    const std::string good = Text("good.txt", kMeasurement);
    const std::string memory = File("box.mem");
    int n = 0;
    for (const Special& s : kSpecials) {
        const std::string p = File(("special-" + std::to_string(n++)).c_str());
        s.make(p);
        const std::vector<std::vector<std::string>> commands = {
            {memory_, "eq-import", "--channel", "CH2", p},
            {memory_, "curve", "--channel", "CH2", "--measurement", p},
            {memory_, "curve", "--channel", "CH2", "--measurement", good, "--target", p},
            {memory_, "autoeq", "--channel", "CH2", "--measurement", p, "--dry-run"},
            {memory_, "align", "CH1=" + p, "--dry-run"},
            {memory_, "write", p},
            {"scene-add", "From it", "--image", p},
            {"scene-import", p},
            {"--emulate=" + p, "info"},
        };
        for (const auto& command : commands) {
            const ChildResult r = Tool(command);
            const std::string what = command[1] + " given " + s.kind;
            EXPECT_FALSE(r.hung) << what;
            EXPECT_EQ(r.status, 1) << what << ": " << r.err;
            EXPECT_NE(r.err.find(p + " is not a regular file (" + s.kind + ")"), std::string::npos)
                << what << ": " << r.err;
            EXPECT_TRUE(s.untouched(p)) << what;
        }
    }
    EXPECT_EQ(RunCli({"scenes"}).out.find("From it"), std::string::npos);
}

// config.ini in the same shapes: listing says what it is, a change is
// refused, and the file stays what it was.
TEST_F(CliFiles, ASettingsFileThatIsNotARegularFileIsLeftAsItIs) {
    const std::string image = ImageFile();
    std::filesystem::create_directories(std::filesystem::path(ConfigIni()).parent_path());
    for (const Special& s : kSpecials) {
        std::filesystem::remove_all(ConfigIni());
        s.make(ConfigIni());
        const std::string said = ConfigIni() + " is not a regular file (" + std::string(s.kind) +
                                 "); it is left as it is, and no change can be saved to it.\n";
        const ChildResult listed = Tool({"scenes"});
        EXPECT_FALSE(listed.hung) << s.kind;
        EXPECT_EQ(listed.status, 0) << s.kind;
        EXPECT_EQ(listed.err, "caraudio-cli: " + said) << s.kind;
        const ChildResult added = Tool({"scene-add", "New", "--image", image});
        EXPECT_FALSE(added.hung) << s.kind;
        EXPECT_EQ(added.status, 1) << s.kind;
        EXPECT_EQ(added.out, "") << s.kind;
        EXPECT_NE(added.err.find(said), std::string::npos) << s.kind << ": " << added.err;
        EXPECT_TRUE(s.untouched(ConfigIni())) << s.kind;
    }
}

// A scene file exported over something that cannot be read: what it holds
// may matter, so it stays, and the reason is given.
TEST_F(CliFiles, ExportNeverReplacesWhatItCannotRead) {
    ASSERT_EQ(RunCli({"scene-add", "Bass", "--image", ImageFile()}).status, 0);
    int n = 0;
    for (const Special& s : kSpecials) {
        const std::string p = File(("target-" + std::to_string(n++)).c_str());
        s.make(p);
        const ChildResult r = Tool({"scene-export", "1", p});
        EXPECT_FALSE(r.hung) << s.kind;
        EXPECT_EQ(r.status, 1) << s.kind;
        EXPECT_EQ(r.out, "") << s.kind;
        EXPECT_EQ(r.err, "caraudio-cli: Failed to export effect to file: " + p + " is not a regular file (" +
                             s.kind + "); a file that cannot be read is not replaced.\n");
        EXPECT_TRUE(s.untouched(p)) << s.kind;
    }
}

// A box memory file the user may not read holds the user's memory slots:
// the tool says so and stops, and the file is never replaced by a new box.
TEST_F(CliFiles, ABoxMemoryFileThatCannotBeReadIsNeverReplaced) {
    ASSERT_EQ(Box({"store", "3"}).status, 0);
    const std::string mem = File("box.mem");
    const std::string kept = ReadText(mem);
    ASSERT_EQ(kept.size(), 12311u);
    std::filesystem::permissions(mem, std::filesystem::perms::owner_write);
    // The user the tool runs as makes the lock file beside it anew.
    std::filesystem::remove(mem + ".lock");
    std::filesystem::permissions(dir_, std::filesystem::perms::all);
    const ChildResult r = Tool({memory_, "set", "MainVol", "3"}, {.withoutRoot = true});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "caraudio-cli: cannot read " + mem +
                         ": Permission denied; --emulate=FILE keeps the emulated box's memory in a regular "
                         "file, and this one is left as it is.\n");
    std::filesystem::permissions(mem,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_TRUE(ReadText(mem) == kept) << "the memory slots are all there";
}

// Two copies of the tool adding scenes at the same time, as two shell loops
// would: every scene each says it added is in config.ini afterwards.
TEST_F(CliFiles, TwoToolsAddingScenesAtOnceLoseNone) {
    const std::string image = ImageFile();
    constexpr int kEach = 25;
    std::vector<ChildResult> runs[2];
    std::vector<std::thread> loops;
    for (int who = 0; who < 2; ++who)
        loops.emplace_back([&, who] {
            for (int i = 0; i < kEach; ++i)
                runs[who].push_back(
                    Tool({"scene-add", std::string(who == 0 ? "Left " : "Right ") + std::to_string(i),
                          "--image", image}));
        });
    for (std::thread& t : loops) t.join();
    std::set<std::string> reported;
    for (const auto& loop : runs)
        for (const ChildResult& r : loop) {
            EXPECT_EQ(r.status, 0) << r.err;
            const size_t colon = r.out.find(": ");
            if (r.out.rfind("Added scene ", 0) == 0 && colon != std::string::npos)
                reported.insert(r.out.substr(colon + 2, r.out.size() - colon - 3));
        }
    EXPECT_EQ(reported.size(), 2u * kEach);
    const std::vector<std::string> listed = Lines(RunCli({"scenes"}).out);
    std::set<std::string> kept;
    for (const std::string& line : listed) kept.insert(line.substr(5));
    EXPECT_EQ(listed.size(), 2u * kEach);
    EXPECT_EQ(kept, reported);
}

// Two copies of the tool on one emulated box's memory, each setting its own
// bands: the box keeps every band either set.
TEST_F(CliFiles, TwoToolsOnOneBoxMemoryLoseNoChange) {
    constexpr int kEach = 12;
    std::vector<ChildResult> runs[2];
    std::vector<std::thread> loops;
    for (int who = 0; who < 2; ++who)
        loops.emplace_back([&, who] {
            for (int band = who * kEach; band < (who + 1) * kEach; ++band)
                runs[who].push_back(Tool({memory_, "set", "Box2_EQ" + std::to_string(band) + "_Gain",
                                          std::to_string(-10 * (band + 1))}));
        });
    for (std::thread& t : loops) t.join();
    for (const auto& loop : runs)
        for (const ChildResult& r : loop) EXPECT_EQ(r.status, 0) << r.err;
    const std::string dump = Box({"dump"}).out;
    for (int band = 0; band < 2 * kEach; ++band) {
        const int raw = -10 * (band + 1);
        const std::string line = "Box2_EQ" + std::to_string(band) +
                                 "_Gain = " + std::to_string(static_cast<uint16_t>(raw)) + "(" +
                                 std::to_string(raw) + ")";
        EXPECT_NE(dump.find(line), std::string::npos) << line;
    }
}

// Another program holding a lock longer than the tool waits: the tool
// says who has the file and changes nothing. One that lets go meanwhile
// only makes it wait.
TEST_F(CliFiles, AFileInUseByAnotherProgramIsWaitedForThenRefused) {
    const std::string image = ImageFile();
    std::filesystem::create_directories(std::filesystem::path(ConfigIni()).parent_path());
    {
        storage::FileLock other(ConfigIni() + ".lock");
        ASSERT_EQ(other.Take(std::chrono::milliseconds(0)), storage::FileLock::Result::Taken);
        const Result r = RunCli({"scene-add", "Waits", "--image", image});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "caraudio-cli: another program is changing the settings in " + ConfigIni() +
                             "; try again when it has finished. Nothing was changed.\n");
        EXPECT_FALSE(std::filesystem::exists(ConfigIni()));
    }
    {
        storage::FileLock other(File("box.mem.lock"));
        ASSERT_EQ(other.Take(std::chrono::milliseconds(0)), storage::FileLock::Result::Taken);
        const Result r = Box({"set", "MainVol", "3"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err,
                  "caraudio-cli: " + File("box.mem") +
                      " is in use by another program (an emulated box keeps its memory there); try again "
                      "when it has finished.\n");
    }
    storage::FileLock other(ConfigIni() + ".lock");
    ASSERT_EQ(other.Take(std::chrono::milliseconds(0)), storage::FileLock::Result::Taken);
    std::thread letGo([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        other.Release();
    });
    const Result r = RunCli({"scene-add", "Waited", "--image", image});
    letGo.join();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Added scene 1: Waited\n");
}

// Standard output on a full disk: what the command printed is lost, so it
// fails, with the reason.
TEST_F(CliFiles, AFullStandardOutputFailsTheCommand) {
    ASSERT_EQ(RunCli({"scene-add", "Bass", "--image", ImageFile()}).status, 0);
    const std::vector<std::vector<std::string_view>> commands = {
        {"dump"},          {"--help"},
        {"scenes"},        {memory_, "curve", "--channel", "CH2"},
        {memory_, "info"}, {memory_, "eq-export", "--channel", "CH2", "-"},
    };
    for (const auto& command : commands) {
        std::FILE* full = std::fopen("/dev/full", "w");
        ASSERT_NE(full, nullptr);
        std::FILE* err = std::tmpfile();
        const int status = cli::Run(command, full, err);
        std::fclose(full);
        const std::string said = Drain(err);
        EXPECT_EQ(status, 1) << command[0] << " " << command.back();
        EXPECT_NE(said.find("caraudio-cli: cannot write the standard output: No space left on device.\n"),
                  std::string::npos)
            << said;
    }
}

// A disk that fills up while a file is written (here: a file size limit):
// nothing is reported done that was not written, every failure says why,
// and the files stay as they were.
TEST_F(CliFiles, AFullDiskIsToldAndNothingIsReportedDone) {
    const std::string image = ImageFile();
    ASSERT_EQ(RunCli({"scene-add", "One", "--image", image}).status, 0);
    ASSERT_EQ(RunCli({"scene-add", "Two", "--image", image}).status, 0);
    const std::string cae = File("one.cae");
    ASSERT_EQ(RunCli({"scene-export", "1", cae}).status, 0);
    ASSERT_EQ(Box({"store", "2"}).status, 0);
    const std::string settings = ReadText(ConfigIni());
    const std::string memory = ReadText(File("box.mem"));
    ASSERT_FALSE(memory.empty());
    const std::string notKept =
        "caraudio-cli: " + ConfigIni() + " could not be written: File too large; the change is not kept.\n";
    const struct {
        std::vector<std::string> args;
        std::string said;
    } cases[] = {
        {{"scene-add", "Three", "--image", image}, notKept},
        {{"scene-delete", "1"}, notKept},
        {{"scene-import", "--duplicates=import", cae}, notKept},
        {{"scene-export", "2", File("two.cae")},
         "caraudio-cli: Failed to export effect to file: cannot write " + File("two.cae") +
             ": File too large.\n"},
        {{memory_, "read", File("again.bin")},
         "caraudio-cli: cannot write " + File("again.bin") + ": File too large\n"},
        {{memory_, "set", "MainVol", "3"},
         "caraudio-cli: cannot save the emulated box's memory to " + File("box.mem") +
             ": File too large; the emulated box forgets this change when the command ends.\n"},
        {{memory_, "store", "5"},
         "caraudio-cli: cannot save the emulated box's memory to " + File("box.mem") +
             ": File too large; the emulated box forgets this change when the command ends.\n"},
    };
    for (const auto& c : cases) {
        const ChildResult r = Tool(c.args, {.fileSizeLimit = 1024});
        EXPECT_EQ(r.status, 1) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(r.err, c.said) << c.args[0] << " " << c.args[1];
        if (c.args[0] != memory_) {
            EXPECT_EQ(r.out, "") << c.args[0];
        }
    }
    EXPECT_TRUE(ReadText(ConfigIni()) == settings);
    EXPECT_TRUE(ReadText(File("box.mem")) == memory);
    EXPECT_FALSE(std::filesystem::exists(File("two.cae")));
    EXPECT_EQ(RunCli({"scenes"}).out, "  1  One\n  2  Two\n");
}

}  // namespace
}  // namespace caraudio::cli
