// The windowed program, offscreen, against the built-in box: how long a start
// takes until both windows are ready, and one drag step on the main window's
// curve, from the mouse event to the repainted curve and the change sent,
// without and with a measurement shown.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <cmath>
#include <memory>

#include "AppContext.h"
#include "EmulatedHid.h"
#include "FileChooser.h"
#include "MainWindow.h"
#include "MeasurementDialog.h"
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

// Answers the measurement dialog's chooser with the file it is given.
class OneFile final : public FileChooser {
public:
    QString SaveFile(QWidget*, const QString&, const QString&, const QString&, QString*) override {
        return {};
    }
    QStringList OpenFiles(QWidget*, const QString&, const QString&) override { return {path}; }
    QString path;
};

// A 1/12-octave-smoothed measurement of 96 points per octave and a house
// curve on the selected channel, loaded through the measurement dialog.
bool ShowMeasurement(CMainDlg& main, OneFile& files, const QTemporaryDir& dir) {
    files.path = dir.filePath("measurement.txt");
    QFile file(files.path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    for (double hz = 20; hz <= 20000; hz *= std::pow(2.0, 1.0 / 96))
        file.write(QString("%1 %2 0\n").arg(hz).arg(80 + 6 * std::sin(std::log2(hz) * 3)).toUtf8());
    file.close();
    main.Command(67);
    QWidget* panel = main.MeasurementPanel();
    if (!panel) return false;
    if (auto* load = panel->findChild<QPushButton*>("btnLoad")) load->click();
    if (auto* smoothing = panel->findChild<QComboBox*>("smoothing")) smoothing->setCurrentIndex(3);
    if (auto* target = panel->findChild<QComboBox*>("target")) target->setCurrentIndex(1);
    panel->hide();
    QApplication::processEvents();
    return main.Editor()->OverlayCurves().size() == 3;
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

// One drag step as the user makes it: the pointer moves band 7's thumb up
// and down 30 pixels; each step is a new gain, sent and drawn. With
// `measurement`, the dragged channel shows a measured, a predicted and a
// target curve, the predicted one following every step.
void DragSteps(benchmark::State& state, bool measurement) {
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    SilentPrompter prompter;
    OneFile files;
    AppContext app(Options(dir));
    if (!app.TakeInstanceLock() || !app.Init(&prompter, &files) || !app.CreateWindows()) {
        state.SkipWithError("start failed");
        return;
    }
    CMainDlg& main = *app.MainWindow();
    main.show();
    QApplication::processEvents();
    caraudio::widgets::SkEQ* eq = main.Editor();
    if (measurement && !ShowMeasurement(main, files, dir)) {
        state.SkipWithError("no measurement shown");
        return;
    }
    caraudio::widgets::SMoveThumb* thumb = eq->BandThumb(7);
    QImage picture(eq->size(), QImage::Format_ARGB32_Premultiplied);
    const QPointF grab(12, 12);
    QMouseEvent press(QEvent::MouseButtonPress, grab, thumb->mapToGlobal(grab), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(thumb, &press);
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
    state.counters["overlays"] = static_cast<double>(eq->OverlayCurves().size());
}

void BM_MainWindowDragStep(benchmark::State& state) {
    DragSteps(state, false);
}
BENCHMARK(BM_MainWindowDragStep)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MainWindowDragStepWithMeasurement(benchmark::State& state) {
    DragSteps(state, true);
}
BENCHMARK(BM_MainWindowDragStepWithMeasurement)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
