#include "SkEqOverlay.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "EqMetrics.h"
#include "SkEQ.h"

namespace caraudio::widgets {
namespace {

struct RoleStyle {
    QColor colour;
    qreal width;
    bool dashed;
};

// Chosen to read on the editor's black plot and its white grid, and to stay
// apart from the channel's own curve (magenta) and the second curve (yellow).
RoleStyle StyleOf(EqOverlayRole role) {
    switch (role) {
    case EqOverlayRole::Measured:
        return {QColor(255, 150, 40), 1.5, false};
    case EqOverlayRole::Predicted:
        return {QColor(70, 215, 255), 2, false};
    case EqOverlayRole::Target:
        return {QColor(205, 205, 205), 2, true};
    case EqOverlayRole::Sum:
        return {QColor(120, 230, 110), 2, false};
    }
    return {Qt::white, 1, false};
}

// Dash and gap in pen widths; long enough that a dashed target is not taken
// for a dotted grid line.
const QList<qreal> kDashPattern{4, 3};

bool SameValues(const EqOverlayCurve& a, const EqOverlayCurve& b) {
    return std::equal(a.values.begin(), a.values.end(), b.values.begin(),
                      [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); });
}

constexpr int kRun = 32;

// The legend's box: padding, the line sample's length, the gap before the
// name, and its distance from the plot's corner.
constexpr int kLegendPad = 5, kLegendSample = 24, kLegendGap = 6, kLegendMargin = 6;

}  // namespace

QPen OverlayPen(EqOverlayRole role) {
    const RoleStyle s = StyleOf(role);
    QPen pen(s.colour, s.width, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin);
    if (s.dashed) pen.setDashPattern(kDashPattern);
    return pen;
}

bool EqOverlayCurve::SameAs(const EqOverlayCurve& other) const {
    return role == other.role && name == other.name && shown == other.shown && SameValues(*this, other);
}

SkEqOverlay::SkEqOverlay(QWidget* editor) : QWidget(editor) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void SkEqOverlay::SetCurves(std::vector<EqOverlayCurve> curves) {
    bool changed = curves.size() != curves_.size();
    layers_.resize(curves.size());
    for (size_t i = 0; i < curves.size(); ++i) {
        if (i < curves_.size() && curves[i].SameAs(curves_[i])) continue;
        changed = true;
        if (i >= curves_.size() || curves[i].role != curves_[i].role || !SameValues(curves[i], curves_[i]))
            layers_[i] = Layer();
    }
    curves_ = std::move(curves);
    const bool anyShown =
        std::any_of(curves_.begin(), curves_.end(), [](const EqOverlayCurve& c) { return c.shown; });
    if (changed) {
        legendBuilt_ = false;
        update();
    }
    setVisible(anyShown);
}

void SkEqOverlay::Invalidate() {
    for (Layer& l : layers_) l = Layer();
    legendBuilt_ = false;
    update();
}

namespace {

QRect PlotClip(const EqMetrics& m) {
    return QRect(m.plotLeft, m.plotTop, m.plotWidth, m.gridHeight + 1);
}

// A transparent pixmap for the part r of the layer.
QPixmap Canvas(QRect r, qreal dpr) {
    QPixmap pixmap(r.size() * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

}  // namespace

void SkEqOverlay::Build(Layer& layer, const EqOverlayCurve& curve, const EqMetrics& m, qreal dpr) {
    QPen pen = OverlayPen(curve.role);
    const qreal width = pen.widthF();
    const bool dashed = pen.style() != Qt::SolidLine;
    // Levels far outside the plot are held a plot's height beyond it: the
    // clip cuts them at the edge, and the painter never sees huge numbers.
    const double above = m.plotTop - m.gridHeight, below = m.gridBottom + m.gridHeight;
    layer = Layer();
    // Polylines of at most a few dozen points: an antialiased stroke of
    // short runs costs a fraction of one long one. Each run carries where
    // its dash pattern continues.
    std::vector<QPolygonF> runs;
    std::vector<qreal> dashOffsets;
    QPolygonF run;
    qreal length = 0, runStart = 0;
    QRectF bounds;
    auto endRun = [&] {
        if (run.size() >= 2) {
            runs.push_back(run);
            dashOffsets.push_back(runStart / width);
            bounds |= run.boundingRect();
        }
        run.clear();
    };
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double v = curve.values[static_cast<size_t>(i)];
        if (std::isnan(v)) {
            endRun();
            continue;
        }
        const QPointF point(m.PointX(i), std::clamp(m.LevelY(v), above, below));
        if (dashed && !run.isEmpty())
            length += std::hypot(point.x() - run.back().x(), point.y() - run.back().y());
        run.append(point);
        if (run.size() == kRun + 1) {
            endRun();
            run.append(point);  // the next run starts where this one ended
            runStart = length;
        } else if (run.size() == 1) {
            runStart = length;
        }
    }
    endRun();
    layer.built = true;
    const QRect clip = PlotClip(m);
    const QRect area = bounds.adjusted(-width, -width, width, width).toAlignedRect() & clip;
    if (area.isEmpty()) return;
    layer.at = area.topLeft();
    layer.picture = Canvas(area, dpr);
    QPainter p(&layer.picture);
    p.translate(-area.topLeft());
    p.setClipRect(clip);
    p.setRenderHint(QPainter::Antialiasing);
    for (size_t r = 0; r < runs.size(); ++r) {
        if (dashed) pen.setDashOffset(dashOffsets[r]);
        p.setPen(pen);
        p.drawPolyline(runs[r]);
    }
}

void SkEqOverlay::paintEvent(QPaintEvent*) {
    const auto* eq = qobject_cast<const SkEQ*>(parentWidget());
    if (!eq) return;
    const EqMetrics& m = eq->Metrics();
    const qreal dpr = devicePixelRatioF();
    QPainter p(this);
    p.setClipRect(PlotClip(m));
    for (size_t c = 0; c < curves_.size(); ++c) {
        if (!curves_[c].shown) continue;
        Layer& layer = layers_[c];
        if (!layer.built || (!layer.picture.isNull() && layer.picture.devicePixelRatio() != dpr))
            Build(layer, curves_[c], m, dpr);
        if (!layer.picture.isNull()) p.drawPixmap(layer.at, layer.picture);
    }
    if (!legendBuilt_ || (!legend_.isNull() && legend_.devicePixelRatio() != dpr)) BuildLegend(m, dpr);
    if (!legend_.isNull()) p.drawPixmap(legendAt_, legend_);
}

QSize OverlayLegendSize(const std::vector<EqOverlayCurve>& curves, const QFontMetrics& fm) {
    int textWidth = 0, rows = 0;
    for (const EqOverlayCurve& c : curves) {
        if (!c.shown) continue;
        textWidth = std::max(textWidth, fm.horizontalAdvance(c.name));
        ++rows;
    }
    if (rows == 0) return {};
    return {2 * kLegendPad + kLegendSample + kLegendGap + textWidth, 2 * kLegendPad + rows * fm.height()};
}

void PaintOverlayLegend(QPainter& p, const QRect& box, const std::vector<EqOverlayCurve>& curves,
                        const QColor& textColour) {
    p.save();
    p.setPen(QColor(255, 255, 255, 70));
    p.setBrush(QColor(0, 0, 0, 220));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing);
    const int rowHeight = p.fontMetrics().height();
    const int x = box.left() + kLegendPad, textLeft = x + kLegendSample + kLegendGap;
    int row = 0;
    for (const EqOverlayCurve& c : curves) {
        if (!c.shown) continue;
        const int top = box.top() + kLegendPad + row++ * rowHeight;
        const qreal mid = top + rowHeight / 2.0;
        p.setPen(OverlayPen(c.role));
        p.drawLine(QPointF(x, mid), QPointF(x + kLegendSample, mid));
        p.setPen(textColour);
        p.drawText(QRect(textLeft, top, box.right() - textLeft, rowHeight),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, c.name);
    }
    p.restore();
}

void SkEqOverlay::BuildLegend(const EqMetrics& m, qreal dpr) {
    legendBuilt_ = true;
    legend_ = QPixmap();
    // The legend speaks in the grid's font and text colour, like the axis.
    const QWidget* style = parentWidget()->findChild<SkEqGrid*>(QString(), Qt::FindDirectChildrenOnly);
    if (!style) style = this;
    const QSize size = OverlayLegendSize(curves_, QFontMetrics(style->font()));
    if (size.isEmpty()) return;
    QRect box(QPoint(), size);
    box.moveTopRight(QPoint(m.plotLeft + m.plotWidth - 1 - kLegendMargin, m.plotTop + kLegendMargin));
    legendAt_ = box.topLeft();
    legend_ = Canvas(box, dpr);
    QPainter p(&legend_);
    p.translate(-box.topLeft());
    p.setFont(style->font());
    PaintOverlayLegend(p, box, curves_, style->palette().color(QPalette::WindowText));
}

}  // namespace caraudio::widgets
