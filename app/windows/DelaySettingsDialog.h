#pragma once

#include <array>
#include <functional>
#include <map>

#include "CommonDialog.h"
#include "DelayLayout.h"

namespace caraudio {
class EditSession;
}
namespace caraudio::storage {
class Settings;
}
namespace caraudio::widgets {
class SkCar;
}

namespace caraudio::app {

class SessionEvents;

// The six speakers' extra path lengths in mm, CH1 to CH6, handed to the
// main window, which turns them into delays and sends them.
using ApplyDistances = std::function<void(const std::array<double, 6>&)>;

// "Advanced" (layout XML_DELAYSETTINGS): the listener and the speakers on
// the car map; every move sets the delays at once. However it closes, the
// placement ends up in the working copy.
class CDlgDelaySettings final : public CCommonDlg {
    Q_OBJECT
public:
    static constexpr int kListenerX = 530;
    static constexpr int kListenerY = 1580;

    CDlgDelaySettings(const storage::DelayLayout& record, ApplyDistances apply, QWidget* parent = nullptr);

    const storage::DelayLayout& Working() const { return working_; }
    widgets::SkCar* Car() const { return car_; }

    void OnDefault();
    void OnUndo();
    // A drag on the map becomes one step of `session`, the undo keys work
    // here, and an undo or redo puts the speakers back where they were
    // when the tuning it restores was made.
    void FollowSession(EditSession& session, SessionEvents& events);

    void done(int result) override;

private:
    void StartUp();
    void PlaceDefault();
    void Place(const storage::DelayLayout& record);
    void Capture();
    void Apply();
    int StepCount() const;
    void ShowRestoredPlacement();

    storage::DelayLayout working_;
    const storage::DelayLayout opening_;
    ApplyDistances apply_;
    widgets::SkCar* car_ = nullptr;
    EditSession* session_ = nullptr;
    // The placement after each step, by the number of steps to undo then.
    std::map<int, storage::DelayLayout> placed_;
};

// Opens the dialog on the record under Config/Delay and stores the
// placement back into the settings file when it closes.
void RunDelaySettings(QWidget* owner, storage::Settings& settings, EditSession& session,
                      SessionEvents& events, ApplyDistances apply);

}  // namespace caraudio::app
