#pragma once

class QTemporaryFile;

namespace caraudio::app {

// Runs the program offscreen (pictures, tests) unless another platform is
// asked for, with two screens: a desktop one that every window fits, the
// primary, named "desktop", and a laptop's 1280 x 720 one beside it, named
// "laptop". To be called before the application object is made, with a
// file that lives until then.
void UseOffscreenScreens(QTemporaryFile& file);

}  // namespace caraudio::app
