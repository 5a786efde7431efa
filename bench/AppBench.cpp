// The windowed program, offscreen, against the built-in box: how long a start
// takes until both windows are ready, and one drag step on the main window's
// curve, from the mouse event to the repainted curve and the change sent.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <memory>

#include "AppContext.h"
#include "EmulatedHid.h"
#include "MainWindow.h"
#include "Prompter.h"
#include "SMoveThumb.h"
#include "SkEQ.h"

namespace {

using namespace caraudio::app;

AppOptions Options(const QTemporaryDir& dir) {
    AppOptions o;
    o.hide = true;  // the picture's own waits are not the program's
    o.emulate = true;
    o.lockFolder = dir.path();
    o.programFolders = {dir.path()};
    return o;
}

// Resident memory of this process, in KiB.
double ResidentKiB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toDouble();
    return 0;
}

void BM_StartToWindowsReady(benchmark::State& state) {
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    SilentPrompter prompter;
    double rss = 0;
    for (auto _ : state) {
        auto app = std::make_unique<AppContext>(Options(dir));
        if (!app->TakeInstanceLock() || !app->Init(&prompter) || !app->CreateWindows()) {
            state.SkipWithError("start failed");
            return;
        }
        QApplication::processEvents();
        state.PauseTiming();  // tearing down is not starting
        rss = ResidentKiB();
        app.reset();
        state.ResumeTiming();
    }
    state.counters["rss_KiB"] = rss;
}
BENCHMARK(BM_StartToWindowsReady)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_MainWindowDragStep(benchmark::State& state) {
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    SilentPrompter prompter;
    AppContext app(Options(dir));
    if (!app.TakeInstanceLock() || !app.Init(&prompter) || !app.CreateWindows()) {
        state.SkipWithError("start failed");
        return;
    }
    CMainDlg& main = *app.MainWindow();
    main.show();
    QApplication::processEvents();
    caraudio::widgets::SkEQ* eq = main.Editor();
    caraudio::widgets::SMoveThumb* thumb = eq->BandThumb(7);
    QImage picture(eq->size(), QImage::Format_ARGB32_Premultiplied);
    const QPointF grab(12, 12);
    QMouseEvent press(QEvent::MouseButtonPress, grab, thumb->mapToGlobal(grab), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(thumb, &press);
    // The pointer goes up and down 30 pixels from where it took the thumb;
    // the thumb follows it, so each step is a new gain.
    const QPointF start = thumb->mapToGlobal(grab);
    int dy = 0;
    for (auto _ : state) {
        dy = (dy + 1) % 60;
        const QPointF global = start + QPointF(0, dy < 30 ? -dy : dy - 60);
        QMouseEvent move(QEvent::MouseMove, thumb->mapFromGlobal(global), global, Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(thumb, &move);
        QPainter p(&picture);
        eq->render(&p);
    }
    const int frames = app.Emulator()->FindBox("emulator:0")->Firmware().RequestCount(0x9C);
    state.counters["frames_per_step"] = static_cast<double>(frames) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_MainWindowDragStep)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
