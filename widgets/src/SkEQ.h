#pragma once

#include <QPixmap>
#include <QWidget>
#include <array>
#include <vector>

#include "Attributes.h"
#include "EqMetrics.h"
#include "SkEqOverlay.h"

namespace caraudio {
class EqCurveModel;
}

namespace caraudio::widgets {

class Skin;
class SMoveThumb;
class SkEqGrid;
class SkEqCurve;

// The EQ curve editor: axis, grid and curve layers, and the thumbs of the
// bands, crossovers and Q handles of one channel's response model. It never
// writes parameters; its owner turns thumb drags into values.
class SkEQ : public QWidget, public AttributeTarget {
    Q_OBJECT
public:
    static constexpr int kMaxBandThumbs = 64;
    // A watermark is drawn this faint, whatever the picture, so the grid and
    // the curve over it still read well.
    static constexpr double kWatermarkOpacity = 0.2;
    static constexpr int kHighPass = -1, kLowPass = -2, kHighPass2 = -3, kLowPass2 = -4, kQLeft = -5,
                         kQRight = -6;

    explicit SkEQ(QWidget* parent = nullptr);

    bool SetAttribute(const QString& name, const QString& value) override;

    void SetEqData(EqCurveModel* model);
    void UpdateThumbs();
    void RefreshCurve();
    void ShowQHandles(bool on);

    int FrequencyToX(double hz) const { return metrics_.FrequencyToX(hz); }
    int GainToY(double db) const { return metrics_.GainToY(db); }
    double XToFrequency(int x) const { return metrics_.XToFrequency(x); }
    double YToGain(int y) const { return metrics_.YToGain(y); }

    const EqMetrics& Metrics() const { return metrics_; }
    const EqAxis& Axis() const { return axis_; }
    EqCurveModel* Model() const { return model_; }
    SMoveThumb* BandThumb(int band) const;
    SMoveThumb* SlotThumb(int data) const;  // -1..-6
    bool QHandlesShown() const { return qHandles_; }

    // Curves drawn over the grid, under the editor's own curve and thumbs,
    // named in a legend. With none shown the editor is as without them.
    void SetOverlayCurves(std::vector<EqOverlayCurve> curves);
    void ClearOverlayCurves();
    const std::vector<EqOverlayCurve>& OverlayCurves() const;

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void Collect();
    void ComputeMetrics();
    void PlaceQHandles(int band, int x, int y);
    void HideQHandles();
    bool HasQHandles() const;

    EqAxis axis_;
    EqMetrics metrics_;
    QColor background_{0, 0, 0, 0};
    const Skin* watermark_ = nullptr;  // faint, behind the plot
    EqCurveModel* model_ = nullptr;
    bool qHandles_ = false;
    bool collected_ = false;
    std::array<SMoveThumb*, kMaxBandThumbs> bands_{};
    std::array<SMoveThumb*, 6> slots_{};  // data -1..-6
    std::vector<SkEqGrid*> grids_;
    std::vector<SkEqCurve*> curves_;
    SkEqOverlay* overlay_ = nullptr;  // made by the first overlay curves
};

// The dB and frequency grid with its labels; the static layer, drawn once
// per size into a pixmap.
class SkEqGrid : public QWidget, public AttributeTarget {
    Q_OBJECT
public:
    explicit SkEqGrid(QWidget* parent = nullptr);
    bool SetAttribute(const QString& name, const QString& value) override;
    void Invalidate();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void Render(QPainter& p, const SkEQ& eq) const;

    QColor colorBorder_{255, 255, 255, 221};
    QPixmap cache_;
};

// The curves of the attached model and the highlighted current filter.
class SkEqCurve : public QWidget, public AttributeTarget {
    Q_OBJECT
public:
    explicit SkEqCurve(QWidget* parent = nullptr);
    bool SetAttribute(const QString& name, const QString& value) override;
    void SetModel(EqCurveModel* model) { model_ = model; }

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    QColor colorLine_{0, 255, 0, 0};
    QColor colorCurrLine_{60, 60, 60, 50};
    int lineWidth_ = 2;
    EqCurveModel* model_ = nullptr;
};

}  // namespace caraudio::widgets
