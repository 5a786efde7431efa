// The one reader every file from outside goes through, config.ini changed
// by two programs at once, and what a full disk leaves.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>

#include "AtomicFile.h"
#include "FileLock.h"
#include "SceneFile.h"
#include "Settings.h"
#include "StorageTestSupport.h"
#include "TuningSettings.h"

namespace caraudio::storage::test {
namespace {

using namespace std::chrono_literals;

// A socket file at `path`, as a program listening on it leaves one.
int ListenAt(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    return fd;
}

TEST_F(TempFolder, OnlyRegularFilesAreReadAndNeverPastTheLimit) {
    WriteText("ten.txt", "0123456789");
    WriteText("empty.txt", "");
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    std::filesystem::create_directories(Path("folder"));
    std::filesystem::create_symlink("/dev/zero", Path("zero"));
    std::filesystem::create_symlink(Path("ten.txt"), Path("link.txt"));
    const int socket = ListenAt(Path("socket"));
    const struct {
        std::string path;
        size_t limit;
        ReadStatus status;
        FileKind kind;
        std::string bytes;
    } cases[] = {
        {Path("ten.txt"), 10, ReadStatus::Read, FileKind::Regular, "0123456789"},
        {Path("ten.txt"), 9, ReadStatus::TooLarge, FileKind::Regular, ""},
        {Path("link.txt"), 100, ReadStatus::Read, FileKind::Regular, "0123456789"},
        {Path("empty.txt"), 0, ReadStatus::Read, FileKind::Regular, ""},
        {Path("gone.txt"), 100, ReadStatus::Missing, FileKind::Regular, ""},
        {Path("fifo"), 100, ReadStatus::NotRegular, FileKind::Fifo, ""},
        {Path("folder"), 100, ReadStatus::NotRegular, FileKind::Folder, ""},
        {Path("zero"), 100, ReadStatus::NotRegular, FileKind::CharacterDevice, ""},
        {"/dev/null", 100, ReadStatus::NotRegular, FileKind::CharacterDevice, ""},
        {Path("socket"), 100, ReadStatus::NotRegular, FileKind::Socket, ""},
    };
    for (const auto& c : cases) {
        std::string bytes = "left from before";
        const ReadResult r = ReadFile(c.path, bytes, c.limit);
        EXPECT_EQ(r.status, c.status) << c.path;
        EXPECT_EQ(r.kind, c.kind) << c.path;
        EXPECT_EQ(bytes, c.bytes) << c.path;
    }
    EXPECT_EQ(KindOfPath(Path("fifo")), FileKind::Fifo);
    EXPECT_EQ(KindOfPath(Path("gone.txt")), std::nullopt);
    ::close(socket);
}

// A FIFO with a writer at the other end is refused all the same: reading
// it would take whatever that writer sends, for as long as it sends.
TEST_F(TempFolder, AFifoWithAWriterIsRefusedToo) {
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    const int reader = ::open(Path("fifo").c_str(), O_RDONLY | O_NONBLOCK);
    const int writer = ::open(Path("fifo").c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "[Config]\n", 9), 9);
    std::string bytes;
    EXPECT_EQ(ReadFile(Path("fifo"), bytes, 100).status, ReadStatus::NotRegular);
    ::close(writer);
    ::close(reader);
}

// Files of /proc say they are empty; what they hold is read all the same,
// up to the limit.
TEST(FileRead, AFileThatClaimsNoSizeIsReadForWhatItHolds) {
    std::string bytes;
    ASSERT_EQ(ReadFile("/proc/self/status", bytes, 1 << 20).status, ReadStatus::Read);
    EXPECT_NE(bytes.find("Name:"), std::string::npos);
    EXPECT_EQ(ReadFile("/proc/self/status", bytes, 16).status, ReadStatus::TooLarge);
}

TEST(FileRead, ProblemsAreNamedInWords) {
    const struct {
        ReadResult result;
        const char* said;
    } cases[] = {
        {{ReadStatus::Missing, ENOENT}, "cannot read f: No such file or directory"},
        {{ReadStatus::Failed, EACCES}, "cannot read f: Permission denied"},
        {{ReadStatus::NotRegular, 0, FileKind::Fifo}, "f is not a regular file (a FIFO)"},
        {{ReadStatus::NotRegular, 0, FileKind::Folder}, "f is not a regular file (a folder)"},
        {{ReadStatus::NotRegular, 0, FileKind::BlockDevice}, "f is not a regular file (a device)"},
        {{ReadStatus::NotRegular, 0, FileKind::Socket}, "f is not a regular file (a socket)"},
        {{ReadStatus::TooLarge}, "f is larger than 1000 bytes"},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadProblemText("f", c.result, 1000), c.said);
}

// A write that fails names its reason, and leaves the old file whole: a
// fault a test makes reads EIO, a file size limit (a full disk) EFBIG.
TEST_F(TempFolder, AFailedWriteSaysWhyAndLeavesTheOldFile) {
    WriteText("old.txt", "old");
    errno = 0;
    EXPECT_FALSE(WriteFileAtomically(Path("old.txt"), "new",
                                     [](WriteStep step, size_t) { return step != WriteStep::Sync; }));
    EXPECT_EQ(errno, EIO);
    errno = 0;
    EXPECT_FALSE(WriteFileAtomically(Path("no/folder/x"), "new"));
    EXPECT_EQ(errno, ENOENT);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        errno = 0;
        const bool written = WriteFileAtomically(Path("old.txt"), std::string(10000, 'x'));
        ::_exit(written ? 0 : errno);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), EFBIG);
    EXPECT_EQ(ReadText("old.txt"), "old");
    EXPECT_EQ(FilesBesideTheLock(), 1) << "no temporary file left";
}

// While another program changes config.ini the program's own load waits,
// then reads the file but never saves over it: that program's change stays.
TEST_F(TempFolder, ASettingsFileBeingChangedElsewhereIsReadButNotWrittenOver) {
    Settings tool(Folder());
    ASSERT_EQ(tool.Lock(0ms), FileLock::Result::Taken);
    {
        // Not there yet: the other program may be writing the first one.
        Settings program(Folder());
        EXPECT_EQ(program.Load(), Settings::LoadResult::Busy);
        EXPECT_FALSE(program.Save());
        EXPECT_FALSE(std::filesystem::exists(Path("config.ini")));
    }
    WriteText("config.ini", "[Config]\nLang=1\n");
    Settings program(Folder());
    EXPECT_EQ(program.Load(), Settings::LoadResult::Busy);
    EXPECT_EQ(program.Language(), 1);
    program.SetLanguage(0);
    EXPECT_FALSE(program.Save());
    EXPECT_EQ(program.SaveError(), 0);
    EXPECT_EQ(ReadText("config.ini"), "[Config]\nLang=1\n");
    // The holder's own load and save go on under its lock.
    ASSERT_EQ(tool.Load(), Settings::LoadResult::Loaded);
    tool.SetLanguage(0);
    EXPECT_TRUE(tool.Save());
    tool.Unlock();
    Settings next(Folder());
    EXPECT_EQ(next.Load(), Settings::LoadResult::Loaded);
    EXPECT_EQ(next.Language(), 0);
}

TEST_F(TempFolder, ASettingsFileThatIsNotARegularFileIsNeverReplaced) {
    const struct {
        const char* what;
        std::function<void()> make;
        ReadStatus status;
    } cases[] = {
        {"a FIFO", [&] { ASSERT_EQ(::mkfifo(Path("config.ini").c_str(), 0600), 0); }, ReadStatus::NotRegular},
        {"/dev/zero", [&] { std::filesystem::create_symlink("/dev/zero", Path("config.ini")); },
         ReadStatus::NotRegular},
        {"past the limit",
         [&] {
             WriteText("config.ini", "[Config]\nLang=1\n");
             std::filesystem::resize_file(Path("config.ini"), kMaxSettingsBytes + 1);
         },
         ReadStatus::TooLarge},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(Path("config.ini"));
        c.make();
        const auto before = std::filesystem::symlink_status(Path("config.ini")).type();
        Settings settings(Folder());
        EXPECT_EQ(settings.Load(), Settings::LoadResult::Unreadable) << c.what;
        EXPECT_EQ(settings.LoadProblem().status, c.status) << c.what;
        EXPECT_FALSE(settings.Save()) << c.what;
        EXPECT_EQ(std::filesystem::symlink_status(Path("config.ini")).type(), before) << c.what;
        EXPECT_EQ(FilesBesideTheLock(), 1) << c.what;
    }
}

// Two processes each adding their own keys, change after change: with the
// lock held from load to save, every key of both is in the file.
TEST_F(TempFolder, TwoProcessesChangingConfigIniLoseNothing) {
    constexpr int kEach = 40;
    pid_t children[2];
    for (int who = 0; who < 2; ++who) {
        children[who] = ::fork();
        ASSERT_GE(children[who], 0);
        if (children[who] != 0) continue;
        bool ok = true;
        for (int i = 0; i < kEach; ++i) {
            Settings s(Folder());
            ok = ok && s.Lock() == FileLock::Result::Taken;
            s.Load();
            s.Document().SetInt(who == 0 ? "Left" : "Right", std::to_string(i), i);
            ok = ok && s.Save();
        }
        ::_exit(ok ? 0 : 1);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Settings after(Folder());
    ASSERT_EQ(after.Load(), Settings::LoadResult::Loaded);
    EXPECT_EQ(after.Document().Keys("Left").size(), size_t{kEach});
    EXPECT_EQ(after.Document().Keys("Right").size(), size_t{kEach});
}

TEST_F(TempFolder, SceneFilesThatCannotBeReadAreToldApart) {
    ASSERT_EQ(::mkfifo(Path("fifo.cae").c_str(), 0600), 0);
    WriteText("words.cae", "not a scene");
    ReadResult why;
    EXPECT_FALSE(ReadSceneFile(Path("fifo.cae"), &why));
    EXPECT_EQ(why.kind, FileKind::Fifo);
    EXPECT_FALSE(ReadSceneFile(Path("words.cae"), &why));
    EXPECT_TRUE(why.Ok()) << "read, but no scene in it";
    const SceneRecord scene = SceneRecord::Make(u"Bass", DefaultEffectBlock());
    const SceneExportResult onFifo = ExportSceneFile(scene, Path("fifo.cae"));
    EXPECT_EQ(onFifo.outcome, SceneExportResult::Outcome::TargetUnreadable);
    EXPECT_EQ(onFifo.target.kind, FileKind::Fifo);
    EXPECT_TRUE(std::filesystem::is_fifo(Path("fifo.cae")));
    const SceneExportResult nowhere = ExportSceneFile(scene, Path("no/folder/x.cae"));
    EXPECT_EQ(nowhere.outcome, SceneExportResult::Outcome::WriteFailed);
    EXPECT_EQ(nowhere.error, ENOENT);
}

// A tuning file that is not a regular file is passed over, and said so;
// the next folder's is used.
TEST_F(TempFolder, ATuningFileThatCannotBeReadIsPassedOver) {
    std::filesystem::create_directories(Path("program"));
    std::filesystem::create_directories(Path("share"));
    ASSERT_EQ(::mkfifo(Path("program/caedata.dat").c_str(), 0600), 0);
    WriteText("share/caedata.dat", "[param]\nmaxvol=15\n");
    std::string found;
    std::vector<RefusedFile> refused;
    EXPECT_EQ(LoadTuningSettings({Path("program"), Path("nowhere"), Path("share")}, &found, &refused).maxvol,
              15);
    EXPECT_EQ(found, Path("share/caedata.dat"));
    ASSERT_EQ(refused.size(), 1u) << "a missing file is no refusal";
    EXPECT_EQ(refused[0].path, Path("program/caedata.dat"));
    EXPECT_EQ(refused[0].why.kind, FileKind::Fifo);
}

}  // namespace
}  // namespace caraudio::storage::test
