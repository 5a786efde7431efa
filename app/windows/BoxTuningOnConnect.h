#pragma once

class QWidget;

namespace caraudio {
class EditSession;
class ParamDatabase;
}  // namespace caraudio

namespace caraudio::app {

class Prompter;

// After a box connected and its image was read: a PC that took the box's
// image starts its undo history there; a box that holds another tuning than
// the one shown makes the user choose between sending the shown tuning to
// the box and taking the box's into the side shown, as one step that undo
// takes back. The other side of the A/B is never touched, and without an
// answer the box's tuning is taken, which loses nothing: undo brings the
// shown one back.
void SettleTuningWithBox(ParamDatabase& db, EditSession& session, Prompter& prompter, QWidget* owner);

}  // namespace caraudio::app
