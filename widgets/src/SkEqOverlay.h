#pragma once

#include <QPen>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <array>
#include <vector>

#include "FrequencyGrid.h"

class QFontMetrics;
class QPainter;

namespace caraudio::widgets {

struct EqMetrics;

enum class EqOverlayRole { Measured, Predicted, Target, Sum };

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

// The pen a curve of the role is drawn with, on the editor and elsewhere.
QPen OverlayPen(EqOverlayRole role);

// The legend of the shown curves (a sample of each pen and its name): its
// size in the font given, and drawn into a box of that size.
QSize OverlayLegendSize(const std::vector<EqOverlayCurve>& curves, const QFontMetrics& fm);
void PaintOverlayLegend(QPainter& p, const QRect& box, const std::vector<EqOverlayCurve>& curves,
                        const QColor& textColour);

// The editor's overlay layer, between its grid and its curve: the shown
// curves, each in its role's colour and line style, and a legend in the
// plot's top right corner. Each curve is drawn into a pixmap of its own
// when it or the geometry changes, so a drag step of the editor only copies
// them, and a curve that follows the drag (the predicted one) is the only
// one stroked again.
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
    // A curve drawn, cut to its bounds in the plot; null when none of it is
    // in the plot.
    struct Layer {
        QPixmap picture;
        QPoint at;
        bool built = false;
    };
    static void Build(Layer& layer, const EqOverlayCurve& curve, const EqMetrics& m, qreal dpr);
    void BuildLegend(const EqMetrics& m, qreal dpr);

    std::vector<EqOverlayCurve> curves_;
    std::vector<Layer> layers_;  // one per curve
    QPixmap legend_;
    QPoint legendAt_;
    bool legendBuilt_ = false;
};

}  // namespace caraudio::widgets
