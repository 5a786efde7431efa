#include "WindowParts.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include "SkSlider.h"

namespace caraudio::app {

void CheckQuietly(QAbstractButton* button, bool on) {
    if (!button) return;
    const bool blocked = button->blockSignals(true);
    button->setChecked(on);
    button->blockSignals(blocked);
}

void SetQuietly(widgets::SkSlider* slider, int value) {
    if (!slider) return;
    const bool blocked = slider->blockSignals(true);
    slider->SetValue(value);
    slider->blockSignals(blocked);
}

void ProcessEventsFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void Settle(QWidget* window, int milliseconds) {
    window->setEnabled(false);
    ProcessEventsFor(milliseconds);
    window->setEnabled(true);
}

}  // namespace caraudio::app
