// The EQ editor's costs: one band change, a channel recompute, the sum of the
// curves, one full paint of the main window's editor, and one drag step from
// mouse event to repainted picture.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <cstdlib>

#include "ChannelCurves.h"
#include "EffectBlock.h"
#include "SMoveThumb.h"
#include "SkEQ.h"
#include "WidgetRegistry.h"

using namespace caraudio;
using namespace caraudio::widgets;

namespace {

EffectBlock TunedImage() {
    EffectBlock b = DefaultEffectBlock();
    for (int band = 0; band < 31; band += 3)
        b.SetWord(FindParam(param::BandGain(2, band))->offset,
                  static_cast<uint16_t>((band % 2 ? -1 : 1) * 300));
    b.SetWord(FindParam(param::HighPassFreq(2))->offset, 60);
    b.SetByte(FindParam(param::HighPassType(2))->offset, 0x83);
    return b;
}

struct Channel {
    Channel() {
        grid.Build(17);
        curves.RebuildChannel(2, TunedImage());
    }
    FrequencyGrid grid;
    ChannelCurves curves{grid};
    EqCurveModel& Model() { return curves.Model(2); }
};

void BM_SetBand(benchmark::State& state) {
    Channel c;
    double gain = 1;
    for (auto _ : state) {
        gain = gain > 10 ? 1 : gain + 0.1;
        benchmark::DoNotOptimize(
            c.Model().SetBand(7, {EqFilterRole::Band, EqFilterType::Peaking, 200, gain, 2, 2}));
    }
}
BENCHMARK(BM_SetBand)->Unit(benchmark::kMicrosecond);

void BM_RecomputeAll(benchmark::State& state) {
    Channel c;
    for (auto _ : state) c.Model().RecomputeAll(17);
}
BENCHMARK(BM_RecomputeAll)->Unit(benchmark::kMicrosecond);

void BM_SumCurves(benchmark::State& state) {
    Channel c;
    for (auto _ : state) c.Model().SumCurves();
}
BENCHMARK(BM_SumCurves)->Unit(benchmark::kMicrosecond);

// The main layout's editor with its layers and thumbs.
struct EditorRig {
    EditorRig() {
        for (auto [n, v] : {std::pair{"ldist", "36"},
                            {"tdist", "13"},
                            {"rdist", "5"},
                            {"bdist", "15"},
                            {"dbMax", "24"},
                            {"dbMin", "-24"},
                            {"nKedu", "8"},
                            {"dbKeduVal", "12"},
                            {"zeroXFreq", "17"},
                            {"colorBkgnd", "#000000ff"}})
            eq.SetAttribute(n, v);
        eq.resize(900, 400);
        SetWidgetAttribute(CreateWidget("skeqgrid", &eq), "colorBorder", "#ffffffdd");
        QWidget* curve = CreateWidget("skeqcurve", &eq);
        SetWidgetAttribute(curve, "colorLine", "#c027c0ff");
        SetWidgetAttribute(curve, "colorCurrLine", "#80808050");
        for (int n = 0; n < 31; ++n) {
            QWidget* t = CreateWidget("moveThumb", &eq);
            SetWidgetAttribute(t, "data", QString::number(n));
            SetWidgetAttribute(t, "text", QString::number(n + 1));
            t->resize(25, 25);
        }
        eq.SetEqData(&channel.Model());
        channel.Model().SetBand(7, {EqFilterRole::Band, EqFilterType::Peaking, 200, 6, 2, 2});  // highlighted
        eq.RefreshCurve();
        eq.show();
        QApplication::processEvents();
        picture = QImage(eq.size(), QImage::Format_ARGB32_Premultiplied);
    }
    void Paint() {
        QPainter p(&picture);
        eq.render(&p);
    }
    Channel channel;
    SkEQ eq;
    QImage picture;
};

void BM_PaintEditor(benchmark::State& state) {
    EditorRig rig;
    rig.Paint();  // the grid's pixmap is built once per size
    for (auto _ : state) rig.Paint();
}
BENCHMARK(BM_PaintEditor)->Unit(benchmark::kMillisecond);

// A car-like measurement (roll-off below 60 Hz, a bump at 120 Hz, a dip at
// 2 kHz, falling highs), the curve the channel's EQ makes of it, and a house
// curve: the three overlays the editor shows while tuning.
std::vector<EqOverlayCurve> Overlays(const EqCurveModel& model) {
    EqOverlayCurve measured{EqOverlayRole::Measured, "Measured", {}, true};
    EqOverlayCurve predicted{EqOverlayRole::Predicted, "Predicted", {}, true};
    EqOverlayCurve target{EqOverlayRole::Target, "Target", {}, true};
    for (size_t i = 0; i < measured.values.size(); ++i) {
        const double f = model.Grid().Hz(static_cast<int>(i)), octave = std::log2(f);
        auto bell = [&](double centre, double gain) {
            const double d = (octave - std::log2(centre)) / 0.3;
            return gain * std::exp(-d * d / 2);
        };
        measured.values[i] = f < 20 ? std::nan("")
                                    : -10 * std::log10(1 + std::pow(60 / f, 4)) + bell(120, 5) +
                                          bell(2000, -7) + (f > 3000 ? -2.5 * std::log2(f / 3000) : 0);
        predicted.values[i] = measured.values[i] + model.Curve1()[i];
        target.values[i] = 6 / (1 + (f / 90) * (f / 90)) + (f > 1000 ? -3 * std::log10(f / 1000) : 0);
    }
    return {measured, predicted, target};
}

enum class OverlayUse { None, Fixed, PredictedFollows };

// A mouse move on a band thumb, the owner's update of the model, and the
// repaint of the editor: what each step of a drag costs. With overlays, the
// predicted curve either stays or follows the step as the window's would.
void DragStep(benchmark::State& state, OverlayUse overlays) {
    EditorRig rig;
    SMoveThumb* thumb = rig.eq.BandThumb(7);
    if (overlays != OverlayUse::None) rig.eq.SetOverlayCurves(Overlays(rig.channel.Model()));
    QObject::connect(thumb, &SMoveThumb::thumbMoving, &rig.eq, [&](const ThumbMove& m) {
        const int cx = m.newLeft + thumb->width() / 2, cy = m.newTop + thumb->height() / 2;
        rig.channel.Model().SetBand(7, {EqFilterRole::Band, EqFilterType::Peaking, rig.eq.XToFrequency(cx),
                                        rig.eq.YToGain(cy), 2, 2});
        rig.eq.RefreshCurve();
        if (overlays == OverlayUse::PredictedFollows) {
            std::vector<EqOverlayCurve> curves = rig.eq.OverlayCurves();
            for (size_t i = 0; i < curves[1].values.size(); ++i)
                curves[1].values[i] = curves[0].values[i] + rig.channel.Model().Curve1()[i];
            rig.eq.SetOverlayCurves(std::move(curves));
        }
    });
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(12, 12), QPointF(12, 12), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(thumb, &press);
    rig.Paint();  // the overlay's pixmap is built once per change
    int dy = 0;
    for (auto _ : state) {
        dy = (dy + 1) % 40;
        QMouseEvent move(QEvent::MouseMove, QPointF(12, 12 + dy - 20), QPointF(12, 12 + dy - 20),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(thumb, &move);
        rig.Paint();
    }
}

void BM_DragStep(benchmark::State& state) {
    DragStep(state, OverlayUse::None);
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMillisecond);

void BM_DragStepOverOverlays(benchmark::State& state) {
    DragStep(state, OverlayUse::Fixed);
}
BENCHMARK(BM_DragStepOverOverlays)->Unit(benchmark::kMillisecond);

void BM_DragStepPredictedFollows(benchmark::State& state) {
    DragStep(state, OverlayUse::PredictedFollows);
}
BENCHMARK(BM_DragStepPredictedFollows)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
