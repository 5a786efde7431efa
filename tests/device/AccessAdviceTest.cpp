#include <gtest/gtest.h>

#include <cerrno>

#include "AccessAdvice.h"

namespace caraudio {
namespace {

TEST(AccessAdvice, SaysWhyABoxCouldNotBeOpenedAndWhatToDo) {
    struct Case {
        int error;
        std::vector<const char*> contains;
    };
    const Case cases[] = {
        {EACCES, {"/dev/hidraw3", "permission denied", "70-caraudio.rules", "udevadm", "plug it in again"}},
        {EPERM, {"permission denied", "70-caraudio.rules"}},
        {EBUSY, {"/dev/hidraw3", "another program holds it"}},
        {ENOENT, {"/dev/hidraw3", "could not be opened", "No such file"}},
    };
    for (const Case& c : cases) {
        const std::string advice = UnopenedBoxAdvice({{"/dev/hidraw3", c.error}, {"/dev/hidraw4", EACCES}});
        for (const char* part : c.contains)
            EXPECT_NE(advice.find(part), std::string::npos) << c.error << ": " << part;
        if (c.error != EACCES && c.error != EPERM) {
            EXPECT_EQ(advice.find("udev"), std::string::npos) << c.error;
        }
    }
    EXPECT_EQ(UnopenedBoxAdvice({}), "");
}

}  // namespace
}  // namespace caraudio
