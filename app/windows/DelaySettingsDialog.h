#pragma once

#include <array>
#include <functional>

#include "CommonDialog.h"
#include "DelayLayout.h"

namespace caraudio::storage {
class Settings;
}
namespace caraudio::widgets {
class SkCar;
}

namespace caraudio::app {

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

    void done(int result) override;

private:
    void StartUp();
    void PlaceDefault();
    void Place(const storage::DelayLayout& record);
    void Capture();
    void Apply();

    storage::DelayLayout working_;
    const storage::DelayLayout opening_;
    ApplyDistances apply_;
    widgets::SkCar* car_ = nullptr;
};

// Opens the dialog on the record under Config/Delay and stores the
// placement back into the settings file when it closes.
void RunDelaySettings(QWidget* owner, storage::Settings& settings, ApplyDistances apply);

}  // namespace caraudio::app
