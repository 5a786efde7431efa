#pragma once

#include <QAbstractButton>

#include "Attributes.h"

namespace caraudio::widgets {

class Skin;

// What check and radio buttons share: a skin over the whole button (frame
// by check state) with the text on top, and text, tooltip and text colour
// that can follow the check state.
class SkStateButton : public QAbstractButton, public AttributeTarget {
    Q_OBJECT
public:
    explicit SkStateButton(QWidget* parent = nullptr);

    bool SetAttribute(const QString& name, const QString& value) override;
    bool AutoCheck() const { return autoCheck_; }
    QSize sizeHint() const override;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void nextCheckState() override;
    // The text and tip follow the state also when it is set with signals
    // blocked, as the windows do when they show the model.
    void checkStateSet() override;
    // A language change gives the layout's one text back; the state's own
    // text wins again.
    void changeEvent(QEvent* e) override;

    bool autoCheck_ = false;

private:
    void ApplyState();

    const Skin* skin_ = nullptr;
    const Skin* focusSkin_ = nullptr;
    bool multitip_ = false, multitext_ = false, multicolor_ = false;
    QString tip1_, tip2_, text1_, text2_;
    QColor color1_, color2_;
    bool hasColor1_ = false, hasColor2_ = false;
};

// A check button: with autoCheck it toggles on a click (release inside
// after a press) and on the space key; the click signal follows.
class SkCheckButton : public SkStateButton {
    Q_OBJECT
public:
    explicit SkCheckButton(QWidget* parent = nullptr) : SkStateButton(parent) {}
};

// A radio button: with autoCheck a click, or the keyboard's focus moving onto
// it, checks it when it is not checked; it never unchecks itself.
class SkRadioButton : public SkStateButton {
    Q_OBJECT
public:
    explicit SkRadioButton(QWidget* parent = nullptr);

protected:
    void nextCheckState() override;
    void focusInEvent(QFocusEvent* e) override;
};

}  // namespace caraudio::widgets
