#pragma once

#include <QWidget>

namespace caraudio::app {

// The picture shown while the program starts: a borderless tool window
// centred on the primary screen, the start-up image on a teal ground.
class StartPicture final : public QWidget {
public:
    StartPicture();

    // Shows it and paints it at once, before the windows are built.
    void ShowNow();

protected:
    void paintEvent(QPaintEvent* e) override;
};

}  // namespace caraudio::app
