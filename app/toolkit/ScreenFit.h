#pragma once

class QWidget;

namespace caraudio::app {

// Gives a window of fixed-size content a scroll area around it, and keeps
// the window within the free area of its screen: where the content fits,
// the window is exactly the content's size and shows no scroll bars; on a
// smaller screen it is cut to the free area and the content scrolls, so
// every control can still be reached. The window is kept on that area, as
// a window without a frame could not be dragged back onto it. Returns the
// scroll area, for the window's layout.
QWidget* FitToScreen(QWidget* window, QWidget* content);

}  // namespace caraudio::app
