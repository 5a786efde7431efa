#pragma once

class QWidget;

namespace caraudio::app {

// "About" (layout XML_ABOUT): the program's name, version and purpose.
void RunAboutDialog(QWidget* owner);

}  // namespace caraudio::app
