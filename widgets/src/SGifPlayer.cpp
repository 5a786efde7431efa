#include "SGifPlayer.h"

#include <QPainter>

#include "Skin.h"

namespace caraudio::widgets {

SGifPlayer::SGifPlayer(QWidget* parent) : QWidget(parent) {
    tick_.setInterval(kTickMs);
    connect(&tick_, &QTimer::timeout, this, &SGifPlayer::Tick);
}

bool SGifPlayer::SetAttribute(const QString& name, const QString& value) {
    if (name == "skin") {
        const Skin* s = FindSkin(value);
        if (!s) return false;  // no such skin
        SetSkin(s);
        return true;
    }
    return SetCommonAttribute(this, name, value);
}

bool SGifPlayer::event(QEvent* e) {
    return HandleAttributeEvent(this, this, e) || QWidget::event(e);
}

int SGifPlayer::DelayMs(int frame) const {
    const int hundredths = skin_ ? skin_->Delay(frame) : 0;
    return hundredths == 0 ? kZeroDelayMs : hundredths * 10;
}

bool SGifPlayer::SetSkin(const Skin* skin) {
    if (!skin || !skin->IsAnimation()) return false;
    skin_ = skin;
    frame_ = 0;
    countdown_ = skin_->FrameCount() >= 2 && skin_->Delay(0) == 0 ? kZeroDelayMs : skin_->Delay(0) * 10;
    updateGeometry();
    if (isVisible() && skin_->FrameCount() >= 2) tick_.start();
    update();
    return true;
}

QSize SGifPlayer::sizeHint() const {
    return skin_ ? skin_->Size() : QSize(16, 16);
}

void SGifPlayer::showEvent(QShowEvent*) {
    if (!skin_ || skin_->FrameCount() < 2) return;
    countdown_ = DelayMs(frame_);
    tick_.start();
}

void SGifPlayer::hideEvent(QHideEvent*) {
    tick_.stop();
}

void SGifPlayer::Tick() {
    if (!skin_ || skin_->FrameCount() < 2) return;
    countdown_ -= kTickMs;
    if (countdown_ > 0) return;
    frame_ = (frame_ + 1) % skin_->FrameCount();
    countdown_ = DelayMs(frame_);
    update();
}

void SGifPlayer::paintEvent(QPaintEvent*) {
    if (!skin_) return;
    QPainter p(this);
    skin_->Draw(p, rect(), frame_);
}

}  // namespace caraudio::widgets
