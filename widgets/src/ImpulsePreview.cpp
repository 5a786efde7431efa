#include "ImpulsePreview.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "AreaFill.h"

namespace caraudio::widgets {
namespace {

constexpr int kLeft = 8, kTop = 6, kRight = 8, kBottom = 18;

}  // namespace

ImpulsePreview* ImpulsePreview::Filling(QWidget* area) {
    return FillingArea<ImpulsePreview>(area);
}

ImpulsePreview::ImpulsePreview(QWidget* parent) : QWidget(parent) {
    setMinimumSize(160, 80);
}

void ImpulsePreview::SetResponse(std::vector<double> samples, int rate, double ms, double arrivalMs) {
    samples_ = std::move(samples);
    rate_ = std::max(1, rate);
    ms_ = std::max(1.0, ms);
    arrivalMs_ = arrivalMs;
    update();
}

void ImpulsePreview::Clear() {
    samples_.clear();
    update();
}

void ImpulsePreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    const QRectF plot(kLeft, kTop, width() - kLeft - kRight, height() - kTop - kBottom);
    if (plot.width() < 2 || plot.height() < 2) return;
    auto x = [&](double ms) { return plot.left() + plot.width() * ms / ms_; };
    const QColor gridColour(90, 90, 90), textColour(200, 200, 200);
    // A line every 5 ms, labelled.
    for (int ms = 0; ms <= static_cast<int>(ms_); ms += 5) {
        const int px = static_cast<int>(std::lround(x(ms)));
        p.setPen(gridColour);
        p.drawLine(px, static_cast<int>(plot.top()), px, static_cast<int>(plot.bottom()));
        p.setPen(textColour);
        const int labelLeft = std::clamp(px - 20, 0, width() - 40);
        p.drawText(QRect(labelLeft, static_cast<int>(plot.bottom()) + 2, 40, kBottom - 2), Qt::AlignCenter,
                   QString::number(ms) + " ms");
    }
    const double middle = plot.center().y();
    p.setPen(gridColour);
    p.drawLine(QPointF(plot.left(), middle), QPointF(plot.right(), middle));
    const auto shown = std::min(samples_.size(), static_cast<size_t>(ms_ * rate_ / 1000));
    double largest = 0;
    for (size_t i = 0; i < shown; ++i) largest = std::max(largest, std::fabs(samples_[i]));
    if (!(largest > 0)) return;
    if (std::isfinite(arrivalMs_) && arrivalMs_ >= 0 && arrivalMs_ <= ms_) {
        p.setPen(QPen(QColor(230, 180, 40), 1, Qt::DashLine));
        p.drawLine(QPointF(x(arrivalMs_), plot.top()), QPointF(x(arrivalMs_), plot.bottom()));
    }
    p.setClipRect(plot);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    for (size_t i = 0; i < shown; ++i) {
        const QPointF at(x(1000.0 * static_cast<double>(i) / rate_),
                         middle - samples_[i] / largest * plot.height() / 2);
        if (i == 0)
            path.moveTo(at);
        else
            path.lineTo(at);
    }
    p.setPen(QPen(QColor(90, 200, 255), 1));
    p.drawPath(path);
}

}  // namespace caraudio::widgets
