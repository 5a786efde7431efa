#include <sys/wait.h>

#include <atomic>
#include <thread>

#include "InstanceLock.h"
#include "StorageTestSupport.h"

namespace caraudio::storage::test {
namespace {

TEST_F(TempFolder, OneHolderAtATimeAndLookingSeesIt) {
    InstanceLock first(Folder()), second(Folder());
    EXPECT_FALSE(InstanceLock::HeldByAnother(Folder())) << "no program has run here";
    ASSERT_TRUE(first.TryLock());
    EXPECT_TRUE(InstanceLock::HeldByAnother(Folder()));
    EXPECT_FALSE(second.TryLock());
    EXPECT_TRUE(InstanceLock::HeldByAnother(Folder())) << "the refused copy took nothing";
    EXPECT_TRUE(first.Held());
    first.Release();
    EXPECT_FALSE(InstanceLock::HeldByAnother(Folder()));
    EXPECT_TRUE(second.TryLock());
}

// The program and the tool are separate processes; a program that ends,
// however it ends, leaves the lock free.
TEST_F(TempFolder, AnotherProcessHoldsItUntilItEnds) {
    int ready[2], stop[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(stop), 0);
    const pid_t program = ::fork();
    ASSERT_GE(program, 0);
    if (program == 0) {
        InstanceLock lock(Folder());
        const char taken = lock.TryLock() ? 'y' : 'n';
        (void)!::write(ready[1], &taken, 1);
        char c;
        (void)!::read(stop[0], &c, 1);
        ::_exit(0);  // without releasing: the system does it
    }
    char taken = 0;
    ASSERT_EQ(::read(ready[0], &taken, 1), 1);
    EXPECT_EQ(taken, 'y');
    EXPECT_TRUE(InstanceLock::HeldByAnother(Folder()));
    InstanceLock second(Folder());
    EXPECT_FALSE(second.TryLock());
    (void)!::write(stop[1], "x", 1);
    int status = 0;
    ASSERT_EQ(::waitpid(program, &status, 0), program);
    EXPECT_FALSE(InstanceLock::HeldByAnother(Folder()));
    EXPECT_TRUE(second.TryLock());
    for (int fd : {ready[0], ready[1], stop[0], stop[1]}) ::close(fd);
}

// The command-line tool looks at the lock whenever it likes; a program
// starting at that very moment must still get it, or it would leave as if
// another copy ran.
TEST_F(TempFolder, LookingNeverKeepsAStartingProgramOut) {
    constexpr int kRounds = 20000;
    std::atomic<int> looks{0};
    std::atomic<bool> done{false};
    std::thread tool([&] {
        while (!done) {
            InstanceLock::HeldByAnother(Folder());
            ++looks;
        }
    });
    int refused = 0;
    int starts = 0;
    // Both sides go on until each has had its share of turns while the other ran.
    while (starts < kRounds || looks < kRounds) {
        InstanceLock program(Folder());
        if (!program.TryLock()) ++refused;
        ++starts;
    }
    done = true;
    tool.join();
    EXPECT_EQ(refused, 0) << "of " << starts << " starts, while the tool looked " << looks << " times";
}

}  // namespace
}  // namespace caraudio::storage::test
