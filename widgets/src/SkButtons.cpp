#include "SkButtons.h"

#include <QFocusEvent>
#include <QPainter>

#include "Skin.h"

namespace caraudio::widgets {

SkStateButton::SkStateButton(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    connect(this, &QAbstractButton::toggled, this, [this] { ApplyState(); });
}

bool SkStateButton::SetAttribute(const QString& name, const QString& value) {
    if (name == "autoCheck" || name == "checked") {
        const auto v = ParseInt(value);
        if (!v) return false;
        if (name == "autoCheck")
            autoCheck_ = *v != 0;
        else
            setChecked(*v != 0);
        return true;
    }
    if (name == "multitip" || name == "multitext" || name == "multicolor") {
        (name == "multitip" ? multitip_ : name == "multitext" ? multitext_ : multicolor_) = value != "0";
        ApplyState();
        return true;
    }
    if (name == "tip1" || name == "tip2" || name == "text1" || name == "text2") {
        (name == "tip1" ? tip1_ : name == "tip2" ? tip2_ : name == "text1" ? text1_ : text2_) = value;
        ApplyState();
        return true;
    }
    if (name == "colortext1" || name == "colortext2") {
        const auto c = ParseColor(value);
        if (!c) return false;
        (name == "colortext1" ? color1_ : color2_) = *c;
        (name == "colortext1" ? hasColor1_ : hasColor2_) = true;
        ApplyState();
        return true;
    }
    if (name == "text") {
        setText(value);
        return true;
    }
    if (name == "skin" || name == "focusSkin") {
        const Skin* s = FindSkin(value);
        (name == "skin" ? skin_ : focusSkin_) = s;
        update();
        return s != nullptr;
    }
    return SetCommonAttribute(this, name, value);
}

bool SkStateButton::event(QEvent* e) {
    return HandleAttributeEvent(this, this, e) || QAbstractButton::event(e);
}

// A click changes the state without checkStateSet; setChecked calls it
// even with signals blocked.
void SkStateButton::checkStateSet() {
    QAbstractButton::checkStateSet();
    ApplyState();
}

void SkStateButton::changeEvent(QEvent* e) {
    QAbstractButton::changeEvent(e);
    if (e->type() == QEvent::LanguageChange) ApplyState();
}

void SkStateButton::ApplyState() {
    const bool on = isChecked();
    if (multitip_) setToolTip(on ? tip2_ : tip1_);
    if (multitext_) setText(on ? text2_ : text1_);
    if (multicolor_ && (on ? hasColor2_ : hasColor1_)) {
        QPalette p = palette();
        p.setColor(QPalette::ButtonText, on ? color2_ : color1_);
        setPalette(p);
    }
    update();
}

void SkStateButton::nextCheckState() {
    if (autoCheck_) QAbstractButton::nextCheckState();
}

QSize SkStateButton::sizeHint() const {
    if (skin_) return skin_->Size();
    const QSize t = fontMetrics().size(0, text());
    return {t.width() + 16, t.height() + 8};
}

void SkStateButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int frame = isChecked() ? 1 : 0;
    if (skin_) {
        skin_->Draw(p, rect(), frame);
    } else {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(palette().color(QPalette::Mid));
        p.setBrush(palette().color(isChecked() ? QPalette::Highlight : QPalette::Button));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    }
    if (hasFocus() && focusSkin_) focusSkin_->Draw(p, rect(), 0);
    p.setPen(palette().color(QPalette::ButtonText));
    p.drawText(rect(), Qt::AlignCenter, text());
}

SkRadioButton::SkRadioButton(QWidget* parent) : SkStateButton(parent) {
    setAutoExclusive(true);
}

void SkRadioButton::nextCheckState() {
    if (autoCheck_ && !isChecked()) setChecked(true);
}

void SkRadioButton::focusInEvent(QFocusEvent* e) {
    SkStateButton::focusInEvent(e);
    // Only the keyboard moving onto it chooses it: a click chooses by itself,
    // and a window getting the focus back (after a message box) must not
    // choose again what was just refused.
    const bool keyboard = e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason;
    if (keyboard && autoCheck_ && !isChecked()) {
        setChecked(true);
        emit clicked(true);
    }
}

}  // namespace caraudio::widgets
