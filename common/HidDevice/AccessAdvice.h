#pragma once

#include <string>
#include <vector>

#include "HidTransport.h"

namespace caraudio {

// What to tell the user about boxes that are attached but could not be
// opened: a permission problem says how to give the logged-in user access
// (the udev rule); anything else says why. Empty for an empty list.
std::string UnopenedBoxAdvice(const std::vector<UnopenedBox>& unopened);

}  // namespace caraudio
