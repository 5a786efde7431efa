#pragma once

class QWidget;

namespace caraudio::app {

// Gives every text field below `root` the program's own context menu (Undo,
// Cut, Copy, Paste, Delete, Select All) in the interface's language.
void UseEditMenu(QWidget* root);

}  // namespace caraudio::app
