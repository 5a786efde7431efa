#include "ResponsePreview.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "AreaFill.h"

namespace caraudio::widgets {
namespace {

constexpr double kLowHz = 20, kHighHz = 20000;
constexpr int kStepDb = 6;
// Levels far below the rest (a roll-off's tail) would squeeze the part that
// matters: the scale spans at most this much, the curves are cut at it.
constexpr int kMaxSpanDb = 48, kMinSpanDb = 24;
constexpr int kLeft = 34, kTop = 6, kRight = 8, kBottom = 18;

const double kFrequencyLines[] = {20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000};

QString FrequencyText(double hz) {
    return hz >= 1000 ? QString::number(hz / 1000) + "k" : QString::number(hz);
}

}  // namespace

ResponsePreview* ResponsePreview::Filling(QWidget* area) {
    return FillingArea<ResponsePreview>(area);
}

ResponsePreview::ResponsePreview(QWidget* parent) : QWidget(parent) {
    setMinimumSize(200, 120);
}

void ResponsePreview::SetCurves(std::vector<EqOverlayCurve> curves, double loHz, double hiHz) {
    curves_ = std::move(curves);
    loHz_ = loHz;
    hiHz_ = hiHz;
    double high = -1e9, low = 1e9;
    const FrequencyGrid& grid = FrequencyGrid::Shared();
    for (const EqOverlayCurve& c : curves_) {
        if (!c.shown) continue;
        for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
            const double v = c.values[static_cast<size_t>(i)], hz = grid.Hz(i);
            if (std::isnan(v) || hz < loHz || hz > hiHz) continue;
            high = std::max(high, v);
            low = std::min(low, v);
        }
    }
    if (high < low) high = low = 0;
    topDb_ = kStepDb * static_cast<int>(std::ceil((high + 1) / kStepDb));
    bottomDb_ = kStepDb * static_cast<int>(std::floor((low - 1) / kStepDb));
    bottomDb_ = std::clamp(bottomDb_, topDb_ - kMaxSpanDb, topDb_ - kMinSpanDb);
    update();
}

void ResponsePreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    const QRectF plot(kLeft, kTop, width() - kLeft - kRight, height() - kTop - kBottom);
    if (plot.width() < 2 || plot.height() < 2) return;
    const double decades = std::log10(kHighHz / kLowHz);
    auto x = [&](double hz) { return plot.left() + plot.width() * std::log10(hz / kLowHz) / decades; };
    auto y = [&](double db) {
        return plot.top() + plot.height() * (topDb_ - db) / static_cast<double>(topDb_ - bottomDb_);
    };

    // The range of interest lit, the rest of the plot left dark.
    p.fillRect(QRectF(QPointF(x(std::max(loHz_, kLowHz)), plot.top()),
                      QPointF(x(std::min(hiHz_, kHighHz)), plot.bottom())),
               QColor(30, 38, 48));
    p.setFont(font());
    const QColor gridColour(90, 90, 90), textColour(200, 200, 200);
    for (const double hz : kFrequencyLines) {
        const int px = static_cast<int>(std::lround(x(hz)));
        p.setPen(gridColour);
        p.drawLine(px, static_cast<int>(plot.top()), px, static_cast<int>(plot.bottom()));
        p.setPen(textColour);
        // Centred under its line, but never cut by the widget's edge.
        const int labelLeft = std::clamp(px - 20, 0, width() - 40);
        p.drawText(QRect(labelLeft, static_cast<int>(plot.bottom()) + 2, 40, kBottom - 2), Qt::AlignCenter,
                   FrequencyText(hz));
    }
    for (int db = bottomDb_; db <= topDb_; db += kStepDb) {
        const int py = static_cast<int>(std::lround(y(db)));
        p.setPen(db == 0 ? QColor(150, 150, 150) : gridColour);
        p.drawLine(static_cast<int>(plot.left()), py, static_cast<int>(plot.right()), py);
        p.setPen(textColour);
        p.drawText(QRect(0, py - 8, kLeft - 4, 16), Qt::AlignRight | Qt::AlignVCenter, QString::number(db));
    }

    p.setClipRect(plot);
    p.setRenderHint(QPainter::Antialiasing);
    const FrequencyGrid& grid = FrequencyGrid::Shared();
    for (const EqOverlayCurve& c : curves_) {
        if (!c.shown) continue;
        QPainterPath path;
        bool inRun = false;
        for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
            const double v = c.values[static_cast<size_t>(i)], hz = grid.Hz(i);
            if (std::isnan(v) || hz < kLowHz || hz > kHighHz) {
                inRun = false;
                continue;
            }
            const QPointF at(x(hz), std::clamp(y(v), plot.top() - 10, plot.bottom() + 10));
            if (inRun)
                path.lineTo(at);
            else
                path.moveTo(at);
            inRun = true;
        }
        p.setPen(OverlayPen(c.role));
        p.drawPath(path);
    }

    // The legend in the top right corner, as on the editor.
    p.setClipping(false);
    const QSize legend = OverlayLegendSize(curves_, QFontMetrics(font()));
    if (legend.isEmpty()) return;
    QRect box(QPoint(), legend);
    box.moveTopRight(QPoint(static_cast<int>(plot.right()) - 4, static_cast<int>(plot.top()) + 4));
    PaintOverlayLegend(p, box, curves_, textColour);
}

}  // namespace caraudio::widgets
