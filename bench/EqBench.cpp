// The EQ editor's costs: one band change, a channel recompute, the sum of the
// curves, one full paint of the main window's editor, and one drag step from
// mouse event to repainted picture.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
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

// A mouse move on a band thumb, the owner's update of the model, and the
// repaint of the editor: what each step of a drag costs.
void BM_DragStep(benchmark::State& state) {
    EditorRig rig;
    SMoveThumb* thumb = rig.eq.BandThumb(7);
    QObject::connect(thumb, &SMoveThumb::thumbMoving, &rig.eq, [&](const ThumbMove& m) {
        const int cx = m.newLeft + thumb->width() / 2, cy = m.newTop + thumb->height() / 2;
        rig.channel.Model().SetBand(7, {EqFilterRole::Band, EqFilterType::Peaking, rig.eq.XToFrequency(cx),
                                        rig.eq.YToGain(cy), 2, 2});
        rig.eq.RefreshCurve();
    });
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(12, 12), QPointF(12, 12), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(thumb, &press);
    int dy = 0;
    for (auto _ : state) {
        dy = (dy + 1) % 40;
        QMouseEvent move(QEvent::MouseMove, QPointF(12, 12 + dy - 20), QPointF(12, 12 + dy - 20),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(thumb, &move);
        rig.Paint();
    }
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
