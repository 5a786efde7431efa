#include "WindowParts.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include "SEdit2.h"
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

std::string TextOf(const widgets::SEdit2* field) {
    return field ? field->text().toStdString() : std::string();
}

void SetText(widgets::SEdit2* field, const std::string& text) {
    if (field) field->setText(QString::fromStdString(text));
}

bool TakeEdit(widgets::SEdit2* field, int step) {
    if (!field || (step == 0 && !field->isModified())) return false;
    field->setModified(false);
    return true;
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
