#pragma once

// Small helpers the windows share to build and find their controls.

#include <QString>
#include <QWidget>
#include <initializer_list>
#include <string>
#include <utility>

#include "WidgetRegistry.h"

class QAbstractButton;

namespace caraudio::widgets {
class SEdit2;
class SkSlider;
}  // namespace caraudio::widgets

namespace caraudio::app {

// Column order of the channel strips: CH1..CH6 are blocks 2..5, 0, 1.
inline constexpr int kColumnBlocks[6] = {2, 3, 4, 5, 0, 1};

// Decimal text of an id or value, for attributes.
inline QString Num(int value) {
    return QString::number(value);
}

// A widget of the program by layout tag, with its attributes; geometry in
// its parent's coordinates.
template <typename T>
T* Make(const char* tag, QWidget* parent, int x, int y, int w, int h,
        std::initializer_list<std::pair<const char*, QString>> attributes = {}) {
    QWidget* widget = widgets::CreateWidget(tag, parent);
    widget->setGeometry(x, y, w, h);
    for (const auto& [name, value] : attributes) widgets::SetWidgetAttribute(widget, name, value);
    return static_cast<T*>(widget);
}

// Sets a control without letting it report the change as a user action.
void CheckQuietly(QAbstractButton* button, bool on);
void SetQuietly(widgets::SkSlider* slider, int value);

// An edit field's text, and a text shown in it (a null field shows nothing).
std::string TextOf(const widgets::SEdit2* field);
void SetText(widgets::SEdit2* field, const std::string& text);
// Whether a field has an edit to take: a step, or typed text not yet taken.
// Leaving a field the user did not change is none, so it writes nothing.
bool TakeEdit(widgets::SEdit2* field, int step);

// Keeps handling window messages for a while, so what was just shown paints.
void ProcessEventsFor(int milliseconds);
// The same with the window taking no input meanwhile.
void Settle(QWidget* window, int milliseconds);

}  // namespace caraudio::app
