#pragma once

#include <QWidget>
#include <vector>

#include "SkEqOverlay.h"

namespace caraudio::widgets {

// A small plot of curves on the shared frequency grid, for looking at a
// proposal before it is taken: frequency on a log scale from 20 Hz to
// 20 kHz, levels on a dB scale that fits the curves, a range of interest
// lit, the curves in the editor's overlay pens and a legend. Nothing on it
// is dragged.
class ResponsePreview : public QWidget {
    Q_OBJECT
public:
    explicit ResponsePreview(QWidget* parent = nullptr);
    // A preview filling `area` (a placeholder of a layout) edge to edge.
    static ResponsePreview* Filling(QWidget* area);

    // The curves (the shown ones are drawn, in order) and the range lit.
    void SetCurves(std::vector<EqOverlayCurve> curves, double loHz, double hiHz);
    const std::vector<EqOverlayCurve>& Curves() const { return curves_; }
    // The dB scale in use, top and bottom, in whole 6 dB steps.
    int TopDb() const { return topDb_; }
    int BottomDb() const { return bottomDb_; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    std::vector<EqOverlayCurve> curves_;
    double loHz_ = 20, hiHz_ = 20000;
    int topDb_ = 12, bottomDb_ = -24;
};

}  // namespace caraudio::widgets
