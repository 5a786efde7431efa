#pragma once

#include <QTimer>
#include <QWidget>

#include "Attributes.h"

namespace caraudio::widgets {

class Skin;

// Loops an animation skin while shown; stops when hidden.
class SGifPlayer : public QWidget, public AttributeTarget {
    Q_OBJECT
public:
    static constexpr int kTickMs = 10;
    static constexpr int kZeroDelayMs = 90;

    explicit SGifPlayer(QWidget* parent = nullptr);

    bool SetAttribute(const QString& name, const QString& value) override;
    // Only animation skins are taken; false for any other.
    bool SetSkin(const Skin* skin);
    int Frame() const { return frame_; }
    int Countdown() const { return countdown_; }
    bool Ticking() const { return tick_.isActive(); }
    // One tick of the animation clock (the timer calls it every 10 ms).
    void Tick();
    QSize sizeHint() const override;

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    int DelayMs(int frame) const;

    const Skin* skin_ = nullptr;
    int frame_ = 0;
    int countdown_ = 0;
    QTimer tick_;
};

}  // namespace caraudio::widgets
