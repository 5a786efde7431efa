#pragma once

#include <QWidget>

#include "Attributes.h"

namespace caraudio::widgets {

class Skin;

// A plain window of a layout: an optional background colour and skin, and a
// text in the text colour. Layouts use it for labels, pictures and tips.
class SWindow : public QWidget, public AttributeTarget {
    Q_OBJECT
public:
    explicit SWindow(QWidget* parent = nullptr);

    bool SetAttribute(const QString& name, const QString& value) override;
    void SetText(const QString& text);
    QString Text() const { return text_; }
    QSize sizeHint() const override;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    QString text_;
    const Skin* skin_ = nullptr;
    QColor background_{0, 0, 0, 0};
    Qt::Alignment align_ = Qt::AlignLeft | Qt::AlignVCenter;
};

}  // namespace caraudio::widgets
