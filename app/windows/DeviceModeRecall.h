#pragma once

class QWidget;

namespace caraudio {
class CDeviceManager;
class EditSession;
class ParamDatabase;
}  // namespace caraudio

namespace caraudio::app {

// How long the box is given to take a recalled memory before it is read.
inline constexpr int kRecallSettleMs = 500;

// Makes one of the box's memories (0..7 the user slots, 8 the factory
// settings) its current settings: once the box has settled, with `window`
// taking no input meanwhile, the links go and the PC's image is read back
// from the box; a box whose image cannot be read back is disconnected. Null
// when done, else the message that says why not. Either way the windows
// show the model anew: links and connection may have changed. The image
// read back is one step of `session` ("Recall USER-2"), so undo gives back
// the tuning it replaced.
const char* RecallDeviceModeSettled(const CDeviceManager& manager, ParamDatabase& db, EditSession& session,
                                    int mode, QWidget* window);

}  // namespace caraudio::app
