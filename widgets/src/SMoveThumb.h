#pragma once

#include <QColor>
#include <QMetaType>
#include <QPixmap>
#include <QWidget>

#include "Attributes.h"

namespace caraudio::widgets {

class Skin;

// What a dragged thumb proposes; positions are in its parent's coordinates.
struct ThumbMove {
    int id = 0;
    int thumbTag = -1;
    int newLeft = 0;
    int newTop = 0;
    int oldLeft = 0;
    int oldTop = 0;
};

// A small window the user drags. It does not move by itself: it reports where
// it would go and its owner places it.
class SMoveThumb : public QWidget, public AttributeTarget {
    Q_OBJECT
public:
    explicit SMoveThumb(QWidget* parent = nullptr);

    bool SetAttribute(const QString& name, const QString& value) override;

    int ThumbTag() const { return thumbTag_; }
    void SetThumbTag(int tag) { thumbTag_ = tag; }
    bool CanXMove() const { return canXMove_; }
    bool CanYMove() const { return canYMove_; }
    double XFloat() const { return xFloat_; }
    double YFloat() const { return yFloat_; }
    QString Text() const { return text_; }
    bool Dragging() const { return dragging_; }

    // Centres the thumb on a point of its parent and remembers the place as
    // fractions of the parent's size.
    void CentreOn(int x, int y);
    // Places the thumb by its fractions, as a parent does on relayout.
    void Relayout();

signals:
    void thumbMoving(const caraudio::widgets::ThumbMove& move);

protected:
    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void DrawFace(QPainter& p) const;

    double xFloat_ = 0;
    double yFloat_ = 0;
    bool canXMove_ = true;
    bool canYMove_ = true;
    bool canOutsize_ = false;
    QColor centerColor_{200, 200, 200, 0};
    int thumbTag_ = -1;
    QString text_;
    const Skin* skin_ = nullptr;
    // The face drawn once and reused: 35 thumbs repaint on every drag step.
    QPixmap face_;
    bool dragging_ = false;
    QPoint grab_;
};

}  // namespace caraudio::widgets

Q_DECLARE_METATYPE(caraudio::widgets::ThumbMove)
