#include "AccessAdvice.h"

#include <cerrno>
#include <cstring>

namespace caraudio {

std::string UnopenedBoxAdvice(const std::vector<UnopenedBox>& unopened) {
    if (unopened.empty()) return {};
    const UnopenedBox& box = unopened.front();
    if (box.error == EACCES || box.error == EPERM)
        return "a box is attached at " + box.path +
               ", but this user may not open it (permission denied). Install the program's udev rule "
               "70-caraudio.rules into /usr/lib/udev/rules.d or /etc/udev/rules.d (the package does this), "
               "run "
               "'sudo udevadm control --reload-rules && sudo udevadm trigger', then unplug the box and plug "
               "it in "
               "again.";
    if (box.error == EBUSY)
        return "a box is attached at " + box.path +
               ", but another program holds it. Close that program and try again.";
    return "a box is attached at " + box.path + ", but it could not be opened: " + std::strerror(box.error) +
           ".";
}

}  // namespace caraudio
