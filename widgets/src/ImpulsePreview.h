#pragma once

#include <QWidget>
#include <vector>

namespace caraudio::widgets {

// A small plot of an impulse response's start: the samples against time in
// ms from the response's time zero, scaled to the largest, with a mark
// where its sound arrives. Nothing on it is dragged.
class ImpulsePreview : public QWidget {
    Q_OBJECT
public:
    explicit ImpulsePreview(QWidget* parent = nullptr);
    // A preview filling `area` (a placeholder of a layout) edge to edge.
    static ImpulsePreview* Filling(QWidget* area);

    // The samples at `rate`, shown over their first `ms`; the arrival
    // marked (ms from time zero; NaN for none).
    void SetResponse(std::vector<double> samples, int rate, double ms, double arrivalMs);
    void Clear();

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    std::vector<double> samples_;
    int rate_ = 48000;
    double ms_ = 20, arrivalMs_ = 0;
};

}  // namespace caraudio::widgets
