#pragma once

#include <QPixmap>
#include <QPolygonF>
#include <QString>
#include <QWidget>
#include <array>
#include <vector>

#include "FrequencyGrid.h"

namespace caraudio::widgets {

struct EqMetrics;

enum class EqOverlayRole { Measured, Predicted, Target };

// A curve laid over the editor's grid to compare with: levels in dB on the
// shared frequency grid the editor's own curve uses, NaN where there is no
// data (the line breaks there). Values beyond the plot's range are clipped
// to the plot.
struct EqOverlayCurve {
    EqOverlayRole role = EqOverlayRole::Measured;
    QString name;  // the legend's text, already translated
    std::array<double, FrequencyGrid::kPoints> values{};
    bool shown = true;

    // NaN equals NaN here: an unchanged curve is not drawn again.
    bool SameAs(const EqOverlayCurve& other) const;
};

// The editor's overlay layer, between its grid and its curve: the shown
// curves, each in its role's colour and line style, and a legend in the
// plot's top right corner. Everything is drawn into a pixmap when the curves
// or the geometry change, so a drag step of the editor only copies it; a
// curve's polylines are rebuilt only when that curve changes.
class SkEqOverlay : public QWidget {
    Q_OBJECT
public:
    explicit SkEqOverlay(QWidget* editor);

    // Shows the layer while at least one curve is shown; repaints only when
    // something differs from what is drawn.
    void SetCurves(std::vector<EqOverlayCurve> curves);
    const std::vector<EqOverlayCurve>& Curves() const { return curves_; }
    // The editor's geometry or scale changed.
    void Invalidate();

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    // A curve as polylines of at most a few dozen points: an antialiased
    // stroke of short runs costs a fraction of one long one. Each run carries
    // where its dash pattern continues.
    struct Stroke {
        std::vector<QPolygonF> runs;
        std::vector<qreal> dashOffsets;
        bool built = false;
    };
    static Stroke BuildStroke(const EqOverlayCurve& curve, const EqMetrics& m, qreal penWidth);
    void Render(QPainter& p, const EqMetrics& m);
    void DrawLegend(QPainter& p, const EqMetrics& m) const;

    std::vector<EqOverlayCurve> curves_;
    std::vector<Stroke> strokes_;  // one per curve
    QPixmap cache_;
};

}  // namespace caraudio::widgets
