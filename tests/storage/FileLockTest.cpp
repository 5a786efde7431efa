// The lock every program takes before it changes a file another may be
// changing too.
#include <sys/stat.h>

#include <cerrno>
#include <thread>

#include "FileLock.h"
#include "StorageTestSupport.h"

namespace caraudio::storage::test {
namespace {

using namespace std::chrono_literals;

TEST_F(TempFolder, ALockWaitsForItsHolderThenGivesUp) {
    FileLock first(Path("x.lock")), second(Path("x.lock"));
    EXPECT_FALSE(FileLock::HeldByAnother(Path("x.lock")));
    ASSERT_EQ(first.Take(0ms), FileLock::Result::Taken);
    EXPECT_TRUE(FileLock::HeldByAnother(Path("x.lock")));
    EXPECT_EQ(second.Take(50ms), FileLock::Result::Busy);
    EXPECT_FALSE(second.Held());
    std::thread letGo([&] {
        std::this_thread::sleep_for(100ms);
        first.Release();
    });
    EXPECT_EQ(second.Take(10s), FileLock::Result::Taken) << "taken once the first let go";
    letGo.join();
    EXPECT_TRUE(second.Held());
    FileLock nowhere(Path("no/folder/x.lock"));
    EXPECT_EQ(nowhere.Take(0ms), FileLock::Result::Failed);
    EXPECT_EQ(nowhere.Error(), ENOENT);
    // A FIFO in the lock file's place holds nobody up.
    ASSERT_EQ(::mkfifo(Path("fifo.lock").c_str(), 0600), 0);
    FileLock fifo(Path("fifo.lock"));
    EXPECT_NE(fifo.Take(0ms), FileLock::Result::Busy);
}

}  // namespace
}  // namespace caraudio::storage::test
