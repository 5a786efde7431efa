#pragma once

class QAbstractButton;

namespace caraudio {
class CDeviceManager;
class EditSession;
class ParamDatabase;
}  // namespace caraudio

namespace caraudio::app {

class Prompter;

// A box counts as connected while it is open and has shaken hands.
bool BoxConnected(const CDeviceManager& manager, const ParamDatabase& db);

// The indicator of both windows: "Connected" in green and checked, or
// "Not connect" in red.
void ShowConnectionState(QAbstractButton* indicator, bool connected);

// A click on the indicator: a connected box is let go (it stays open),
// otherwise a box is connected and its image read and settled with the
// tuning shown (SettleTuningWithBox); failures are told to the user. True
// when a box was connected.
bool ToggleConnection(ParamDatabase& db, EditSession& session, bool connected, Prompter& prompter);

}  // namespace caraudio::app
