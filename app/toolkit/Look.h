#pragma once

// The program's look, shared by its windows and dialogs.

#include <QColor>
#include <QString>

class QPalette;
class QWidget;

namespace caraudio::app {

// Lets the window be moved by dragging `handle` (its caption bar).
void MakeDragHandle(QWidget* handle);

// Fills a window's layout with its background colour.
void PaintBackground(QWidget* layout, const QColor& colour);

// The program's colours, for the whole application: the program's own
// widgets take their text colours from it.
QPalette ProgramPalette();

// The program's look on a window: dark panels, light text.
void ApplyLook(QWidget* window);

}  // namespace caraudio::app
