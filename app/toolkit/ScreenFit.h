#pragma once

class QWidget;

namespace caraudio::app {

// Lays out a window of fixed-size content so that it fits its screen. Where
// the content fits, the window is exactly the content's size and looks as
// the content alone. On a smaller screen the window is cut to the screen's
// free area and the content scrolls, so every control can still be reached;
// the window is kept on that area, as a window without a frame could not be
// dragged back onto it.
//
// `caption`, a strip across the content's top (the window's title, its
// buttons, its drag handle) or null, never scrolls: it is taken out of the
// content and stays at the window's top, as wide as the window, its controls
// on the right keeping their distance from the window's right edge. The
// window must have no layout yet.
void FitToScreen(QWidget* window, QWidget* content, QWidget* caption);

}  // namespace caraudio::app
