#pragma once

#include <QLineEdit>

#include "Attributes.h"

namespace caraudio::widgets {

class Skin;

// An edit field that turns the arrow keys, the wheel and Enter into value
// steps (EventEditValueChanging): +1 up, -1 down, 0 to apply what is typed.
class SEdit2 : public QLineEdit, public AttributeTarget {
    Q_OBJECT
public:
    explicit SEdit2(QWidget* parent = nullptr);
    bool SetAttribute(const QString& name, const QString& value) override;
    // With want-return the edit keeps Enter for itself.
    void SetWantReturn(bool on) { wantReturn_ = on; }

signals:
    void valueChanging(int step);

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    const Skin* focusSkin_ = nullptr;
    bool wantReturn_ = false;
};

}  // namespace caraudio::widgets
