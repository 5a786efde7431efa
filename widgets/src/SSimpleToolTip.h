#pragma once

#include <QWidget>

namespace caraudio::widgets {

// The small value tip of the sliders: one top-most popup that never takes
// the focus, shared by every slider that shows one.
class SSimpleToolTip : public QWidget {
    Q_OBJECT
public:
    // The shared tip, created for the first holder.
    static SSimpleToolTip* Acquire();
    // Destroyed when the last holder lets go.
    static void Release();
    static SSimpleToolTip* Current();

    void ShowText(const QString& text, const QPoint& screenTopLeft);
    QString Text() const { return text_; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    SSimpleToolTip();

    QString text_;
};

}  // namespace caraudio::widgets
