// Renders the program's windows to PNG files, in English and in Chinese,
// against the built-in box: what a user sees, for people to look at.
#include <sndfile.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "AppContext.h"
#include "AppServices.h"
#include "BoxTuningOnConnect.h"
#include "ChannelCurves.h"
#include "CommonDialog.h"
#include "CompactWindow.h"
#include "DelaySettingsDialog.h"
#include "EditSession.h"
#include "EmulatedHid.h"
#include "FileChooser.h"
#include "FilterFileTexts.h"
#include "FilterImportPlan.h"
#include "FilterSet.h"
#include "Layouts.h"
#include "LoginDialog.h"
#include "MainWindow.h"
#include "MeasureDialog.h"
#include "MeasurementDialog.h"
#include "MixSoundWindow.h"
#include "OffscreenScreens.h"
#include "ParamDatabase.h"
#include "ParameterTable.h"
#include "PresetDialog.h"
#include "Prompter.h"
#include "SceneStore.h"
#include "SectionChoiceDialog.h"
#include "Settings.h"
#include "SkCar.h"
#include "StepLabels.h"
#include "Translation.h"
#include "TuneCarDialog.h"
#include "ValueScales.h"
#include "WholeCar.h"

namespace {

using namespace caraudio;
using namespace caraudio::app;

bool Save(QWidget* w, const QDir& dir, const QString& name) {
    w->show();
    QApplication::processEvents();
    const bool ok = w->grab().save(dir.filePath(name));
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(dir.filePath(name)));
    return ok;
}

// Answers every chooser with nothing, as a user who cancels, unless a file
// to open is set.
class NoFiles final : public FileChooser {
public:
    QString SaveFile(QWidget*, const QString&, const QString&, const QString&, QString*) override {
        return {};
    }
    QStringList OpenFiles(QWidget*, const QString&, const QString&) override {
        return openPath.isEmpty() ? QStringList() : QStringList{openPath};
    }
    QString openPath;
};

// Every dialog of the main window, filled as a user would find it.
bool SaveDialogs(AppContext& app, const AppServices& services, const QDir& dir, const QString& s) {
    bool ok = true;
    {
        CCommonDlg device("XML_DEVICE_PRESET");
        new CDlgSysSettingEventHandler(device, services, nullptr);
        ok = Save(&device, dir, "device-preset-" + s + ".png") && ok;
        if (QWidget* sending = Named<QWidget>(device.Layout(), "ui_sending")) {
            sending->show();
            sending->raise();
            ok = Save(&device, dir, "device-preset-sending-" + s + ".png") && ok;
        }
    }
    {
        CCommonDlg mine("XML_MY_PRESET");
        new CDlgSysSettingEventHandler(mine, services, nullptr);
        ok = Save(&mine, dir, "my-preset-" + s + ".png") && ok;
    }
    {
        CDlgDelaySettings delay(storage::DelayLayout{}, nullptr);
        ok = Save(&delay, dir, "delay-" + s + ".png") && ok;
        // While a speaker is dragged the scales and paths show.
        if (QWidget* thumb = delay.Car()->Thumb(5)) {
            const QPoint c = thumb->rect().center();
            QMouseEvent press(QEvent::MouseButtonPress, c, thumb->mapToGlobal(c), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(thumb, &press);
            const QPoint to = c + QPoint(-30, 60);
            QMouseEvent move(QEvent::MouseMove, to, thumb->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(thumb, &move);
            ok = Save(&delay, dir, "delay-drag-" + s + ".png") && ok;
        }
    }
    {
        CCommonDlg mix("XML_MIXSOUNDWD");
        new CDlgMixSoundEventHandler(mix, services);
        ok = Save(&mix, dir, "mix-" + s + ".png") && ok;
    }
    {
        QTimer::singleShot(100, [&, s] {
            if (QWidget* about = QApplication::activeModalWidget()) {
                ok = Save(about, dir, "about-" + s + ".png") && ok;
                about->close();
            }
        });
        app.MainWindow()->Command(63);
    }
    return ok;
}

// The main window on a laptop's screen: cut to it, at its start and
// scrolled to its far corner.
bool SaveOnSmallScreen(CMainDlg* main, QScreen* small, const QDir& dir, const QString& s) {
    QScreen* before = main->screen();
    main->hide();
    main->setScreen(small);
    main->move(small->geometry().topLeft());
    bool ok = Save(main, dir, "main-1280x720-" + s + ".png");
    if (auto* area = main->findChild<QScrollArea*>()) {
        for (QScrollBar* bar : {area->horizontalScrollBar(), area->verticalScrollBar()})
            bar->setValue(bar->maximum());
        ok = Save(main, dir, "main-1280x720-scrolled-" + s + ".png") && ok;
        for (QScrollBar* bar : {area->horizontalScrollBar(), area->verticalScrollBar()}) bar->setValue(0);
    }
    main->hide();
    main->setScreen(before);
    main->move(before->geometry().topLeft());
    return ok;
}

// A measurement program's filter set with something of every kind to report,
// more left out than the report lists.
constexpr char kFilterSet[] =
    "Filter Settings file\n\nEqualiser: Generic\n"
    "Filter  1: ON  PK       Fc   45.80 Hz  Gain   3.00 dB  Q  1.000\n"
    "Filter  2: ON  PK       Fc    3155 Hz  Gain  -6.50 dB  Q  4.318\n"
    "Filter  3: OFF PK       Fc     120 Hz  Gain  -2.00 dB  Q  2.000\n"
    "Filter  4: ON  PK       Fc   25000 Hz  Gain  -4.00 dB  Q 90.000\n"
    "Filter  5: ON  HP       Fc      35 Hz\n"
    "Filter  6: ON  LS 6dB   Fc      80 Hz  Gain   4.00 dB\n"
    "Filter  7: ON  HS 12dB  Fc    8000 Hz  Gain  -2.00 dB\n"
    "Filter  8: ON  NO       Fc    1000 Hz\n"
    "Filter  9: ON  AP       Fc     500 Hz  Q  0.700\n"
    "Filter 10: ON  LSC      Fc     105 Hz  Gain   6.40 dB  Q  0.700\n"
    "Filter 11: ON  HSC      Fc   10000 Hz  Gain  -2.10 dB  Q  0.700\n"
    "Filter 12: ON  Modal    Fc      60 Hz  Gain  -5.00 dB  Q  8.000\n";

// The report after importing the set above, and the section choice.
bool SaveFilterImport(AppContext& app, const QDir& dir, const QString& s) {
    bool ok = true;
    const analysis::FilterSet set = analysis::ReadFilterSet(kFilterSet);
    const int ch = app.Db().SelectedChannel();
    const analysis::FilterImportPlan plan =
        analysis::PlanFilterImport(set.filters, app.Db().Block(), ch, {-20, 20}, {true, -6.5});
    QTimer::singleShot(100, [&, s] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            ok = Save(box, dir, "filter-import-report-" + s + ".png") && ok;
            box->close();
        }
    });
    MessageBoxPrompter().Inform(nullptr,
                                ImportReport(plan, {QString::fromStdString(ChannelLabel(ch)), {"CH4"}, -6.5}),
                                Tr("filter_files", "Import filters"));
    QTimer::singleShot(100, [&, s] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            ok = Save(dialog, dir, "filter-sections-" + s + ".png") && ok;
            dialog->close();
        }
    });
    ChooseSection(nullptr, {"L", "R", "C", "SUB", "RL", "RR"});
    return ok;
}

// A car's measured level at the listening position: a cabin bump in the
// bass, a dip in the upper mids, a ragged top end; REW text, 48 points per octave.
QByteArray CarMeasurement() {
    QByteArray text = "* Measurement data measured by REW V5.20\n* Freq(Hz) SPL(dB) Phase(degrees)\n";
    for (double hz = 25; hz <= 18000; hz *= std::pow(2.0, 1.0 / 48)) {
        const double db = 82 + 9 * std::exp(-std::pow(std::log2(hz / 55), 2)) -
                          6 * std::exp(-std::pow(std::log2(hz / 2800) / 0.6, 2)) +
                          2.5 * std::sin(std::log2(hz) * 5.1) * (hz > 4000 ? 1.0 : 0.3) -
                          (hz > 12000 ? 8 * std::log2(hz / 12000) : 0);
        text += QString("%1 %2 0\n").arg(hz, 0, 'f', 3).arg(db, 0, 'f', 3).toUtf8();
    }
    return text;
}

// The Auto EQ dialog once its fit is shown, and the main window after Apply;
// the bands are taken back with Undo.
bool SaveAutoEq(CMainDlg& main, EditSession& session, QWidget& panel, const QDir& dir, const QString& s) {
    auto* button = panel.findChild<QPushButton*>("btnAutoEq");
    if (!button) return false;
    bool ok = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        auto* apply = dialog ? dialog->findChild<QPushButton*>("btnApply") : nullptr;
        if (!apply || !apply->isEnabled()) return;
        poll.stop();
        ok = Save(dialog, dir, "autoeq-" + s + ".png");
        apply->click();
    });
    poll.start(50);
    button->click();
    ok = Save(&main, dir, "main-autoeq-" + s + ".png") && ok;
    session.Undo();
    return ok;
}

// A speaker of a car measured alone, with the crossovers a tuner puts in
// front of it: second-order roll-offs (f0, Q; high-pass or low-pass),
// cabin modes, the box's crossover corners (0: none; Linkwitz-Riley 24 dB).
struct ShotSpeaker {
    const char* name;
    double level;
    struct RollOff {
        bool high;
        double f0, q;
    } rollOffs[3];
    struct Mode {
        double hz, db, q;
    } modes[3];
    int highPassHz, lowPassHz;
};

QByteArray SpeakerMeasurement(const ShotSpeaker& sp) {
    constexpr double kPi = 3.14159265358979323846;
    QByteArray text = "* Measurement data measured by REW V5.20\n* Freq(Hz) SPL(dB) Phase(degrees)\n";
    for (double hz = 15; hz <= 22000; hz *= std::pow(2.0, 1.0 / 48)) {
        double db = sp.level;
        for (const auto& r : sp.rollOffs) {
            if (r.f0 <= 0) continue;
            const double x = hz / r.f0, x2 = x * x;
            db += 10 * std::log10((r.high ? x2 * x2 : 1.0) / ((1 - x2) * (1 - x2) + x2 / (r.q * r.q)));
        }
        for (const auto& m : sp.modes) {
            if (m.hz <= 0) continue;
            // A peaking shape in log frequency: enough for a picture.
            db += m.db / (1 + std::pow(m.q * (hz / m.hz - m.hz / hz), 2));
        }
        db += 0.4 * std::sin(2 * kPi * hz * 0.0011);
        text += QString("%1 %2 0\n").arg(hz, 0, 'f', 3).arg(db, 0, 'f', 3).toUtf8();
    }
    return text;
}

// The Auto EQ dialog for a trunk sub, a door midbass and a tweeter, each
// behind its crossovers; the channel's crossovers and bands come back after.
bool SaveAutoEqSpeakers(AppContext& app, NoFiles& files, const QDir& data, const QDir& dir,
                        const QString& s) {
    static constexpr ShotSpeaker kSpeakers[] = {
        {"sub", 88, {{true, 32, 0.8}, {false, 250, 0.7}, {}}, {{45, 6, 1}, {58, -4, 5}, {}}, 0, 80},
        {"mid",
         84,
         {{true, 55, 0.9}, {false, 3500, 0.8}, {}},
         {{190, 5, 5}, {420, -3, 2}, {2300, -5, 3}},
         80,
         3000},
        {"tweeter",
         86,
         {{true, 1200, 1.0}, {false, 16000, 0.7}, {}},
         {{4200, -3, 4}, {9000, 3, 3}, {}},
         3000,
         0},
    };
    CMainDlg* main = app.MainWindow();
    QWidget* panel = main->MeasurementPanel();
    if (!panel) return false;
    ParamDatabase& db = app.Db();
    const int ch = db.SelectedChannel();
    const EffectBlock before = db.Block();
    auto setPass = [&](int typeIndex, int freqIndex, int hz, int offHz) {
        const uint8_t type = WithCrossoverType(WithCrossoverSlope(0, hz > 0 ? 3 : kSlopeOff), 2);
        db.SetParam(typeIndex, type);
        db.SetParam(freqIndex, static_cast<uint16_t>(hz > 0 ? hz : offHz));
    };
    bool ok = true;
    for (const ShotSpeaker& sp : kSpeakers) {
        const QString path = data.filePath(QString("%1.txt").arg(sp.name));
        if (QFile file(path); !file.open(QIODevice::WriteOnly) || file.write(SpeakerMeasurement(sp)) < 0)
            return false;
        setPass(param::HighPassType(ch), param::HighPassFreq(ch), sp.highPassHz, 20);
        setPass(param::LowPassType(ch), param::LowPassFreq(ch), sp.lowPassHz, 20000);
        main->RefreshAll();
        files.openPath = path;
        if (auto* load = panel->findChild<QPushButton*>("btnLoad")) load->click();
        files.openPath.clear();
        panel->hide();
        auto* button = panel->findChild<QPushButton*>("btnAutoEq");
        if (!button) return false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            auto* discard = dialog ? dialog->findChild<QPushButton*>("btnDiscard") : nullptr;
            auto* apply = dialog ? dialog->findChild<QPushButton*>("btnApply") : nullptr;
            auto* result = dialog ? dialog->findChild<QLabel*>("result") : nullptr;
            if (!discard || !apply || !result || (!apply->isEnabled() && result->text().endsWith("...")))
                return;
            poll.stop();
            ok = Save(dialog, dir, QString("autoeq-%1-%2.png").arg(sp.name, s)) && ok;
            discard->click();
        });
        poll.start(50);
        button->click();
    }
    if (auto* clear = panel->findChild<QPushButton*>("btnClear")) clear->click();
    panel->close();
    for (int index :
         {param::HighPassType(ch), param::HighPassFreq(ch), param::LowPassType(ch), param::LowPassFreq(ch)})
        db.SetParam(index, before.Get(*FindParam(index)));
    main->RefreshAll();
    return ok;
}

bool WriteWav(const QString& path, const std::vector<float>& samples, int rate) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file) return false;
    const bool written = sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size())) ==
                         static_cast<sf_count_t>(samples.size());
    return sf_close(file) == 0 && written;
}

constexpr int kImpulseRate = 48000;

// A measured impulse response: a short click arriving after `ms`, a
// reflection 2 ms later, a little noise; a 48 kHz float WAV.
bool WriteImpulse(const QString& path, double ms, double amplitude) {
    std::vector<float> samples(kImpulseRate / 10);
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0, 0.002f);
    for (size_t n = 0; n < samples.size(); ++n) {
        const double t = n * 1000.0 / kImpulseRate - ms;
        const auto click = [](double at) { return std::exp(-at * at / 0.002) * std::cos(at * 20); };
        samples[n] = static_cast<float>(amplitude * (click(t) + 0.5 * click(t - 2))) + noise(random);
    }
    return WriteWav(path, samples, kImpulseRate);
}

// A recording of noise taken for an impulse response by mistake.
bool WriteNoise(const QString& path) {
    std::vector<float> samples(kImpulseRate / 5);
    std::mt19937 random(11);
    std::normal_distribution<float> noise(0, 0.1f);
    for (float& x : samples) x = noise(random);
    return WriteWav(path, samples, kImpulseRate);
}

// The alignment dialog with four channels' responses chosen, one of them
// wired inverted.
bool SaveAlign(QWidget& panel, NoFiles& files, const QDir& data, const QDir& dir, const QString& s) {
    auto* button = panel.findChild<QPushButton*>("btnAlign");
    if (!button) return false;
    constexpr struct {
        int row;
        double ms, amplitude;
    } kResponses[] = {{1, 3.1, 0.5}, {2, 4.4, -0.45}, {3, 2.2, 0.6}, {4, 2.9, 0.55}};
    bool ok = true;
    for (const auto& r : kResponses)
        ok = WriteImpulse(data.filePath(QString("CH%1.wav").arg(r.row)), r.ms, r.amplitude) && ok;
    ok = WriteNoise(data.filePath("CH5-noise.wav")) && ok;
    QTimer::singleShot(100, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) return;
        auto choose = [&](int row, const QString& file) {
            if (auto* button = dialog->findChild<QPushButton*>(QString("choose%1").arg(row))) {
                files.openPath = data.filePath(file);
                button->click();
            }
        };
        for (const auto& r : kResponses) choose(r.row, QString("CH%1.wav").arg(r.row));
        ok = Save(dialog, dir, "align-" + s + ".png") && ok;
        // A file that is no impulse response is refused in its row.
        choose(5, "CH5-noise.wav");
        files.openPath.clear();
        ok = Save(dialog, dir, "align-refused-" + s + ".png") && ok;
        dialog->close();
    });
    button->click();
    return ok;
}

// The whole-car tune of a synthetic car (the tests' speakers: left and
// right tweeters and door mids, two subs) behind the installer's
// crossovers, tuned against the panel's house curve.
bool SaveTuneCar(AppContext& app, QWidget& panel, NoFiles& files, const QDir& data, const QDir& dir,
                 const QString& s) {
    using namespace caraudio::test::whole;
    auto* button = panel.findChild<QPushButton*>("btnTuneCar");
    if (!button) return false;
    const std::vector<CarChannel> car = WholeCar(1);
    const EffectBlock before = app.Db().Block(), installer = InstallersImage(car);
    for (const ParamRecord& p : Parameters())
        if (before.Get(p) != installer.Get(p)) app.Db().SetParam(p.index, installer.Get(p));
    bool ok = true;
    unsigned seed = 1;
    for (const CarChannel& c : car) {
        const std::vector<double> x = Render(c.speaker, 0.5, seed++);
        ok = WriteWav(data.filePath(QString("car-CH%1.wav").arg(ChannelNumber(c.block))),
                      std::vector<float>(x.begin(), x.end()), kImpulseRate) &&
             ok;
    }
    QTimer::singleShot(100, [&] {
        auto* dialog = qobject_cast<TuneCarDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        for (const CarChannel& c : car) {
            const int n = ChannelNumber(c.block);
            if (auto* choose = dialog->findChild<QPushButton*>(QString("choose%1").arg(n))) {
                files.openPath = data.filePath(QString("car-CH%1.wav").arg(n));
                choose->click();
            }
        }
        files.openPath.clear();
        QEventLoop wait;
        QObject::connect(dialog, &TuneCarDialog::tuned, &wait, &QEventLoop::quit);
        QTimer::singleShot(60000, &wait, &QEventLoop::quit);
        if (auto* tune = dialog->findChild<QPushButton*>("btnTune")) tune->click();
        if (dialog->Tuning()) wait.exec();
        ok = Save(dialog, dir, "tune-car-" + s + ".png") && ok;
        dialog->close();
    });
    button->click();
    // The responses stay loaded: the editor sums the channels ticked.
    std::vector<QCheckBox*> ticked;
    for (int n = 1; n <= 6; ++n)
        if (auto* box = panel.findChild<QCheckBox*>(QString("sum%1").arg(n)); box && box->isEnabled()) {
            box->setChecked(true);
            ticked.push_back(box);
        }
    panel.hide();
    ok = Save(app.MainWindow(), dir, "main-sum-" + s + ".png") && ok;
    ok = Save(&panel, dir, "measurement-dialog-sum-" + s + ".png") && ok;
    for (QCheckBox* box : ticked) box->setChecked(false);
    for (const ParamRecord& p : Parameters())
        if (app.Db().Block().Get(p) != before.Get(p)) app.Db().SetParam(p.index, before.Get(p));
    return ok;
}

// The Measure window on the emulated box and its built-in car, behind an
// installer's crossovers (every channel with a high-pass, so nothing is
// asked): before, while the third channel is measured, and after all six.
bool SaveMeasure(AppContext& app, QWidget& panel, const QDir& dir, const QString& s) {
    using namespace caraudio::test::whole;
    auto* button = panel.findChild<QPushButton*>("btnMeasure");
    if (!button) return false;
    const EffectBlock before = app.Db().Block();
    EffectBlock installer = before;
    for (const int ch : {1, 2}) SetPass(installer, BlockOfChannel(ch), true, {2, 24, 3500});
    for (const int ch : {3, 4}) {
        SetPass(installer, BlockOfChannel(ch), true, {2, 24, 70});
        SetPass(installer, BlockOfChannel(ch), false, {2, 24, 3500});
    }
    for (const int ch : {5, 6}) {
        SetPass(installer, BlockOfChannel(ch), true, {0, 12, 45});
        SetPass(installer, BlockOfChannel(ch), false, {2, 24, 70});
    }
    for (const ParamRecord& p : Parameters())
        if (before.Get(p) != installer.Get(p)) app.Db().SetParam(p.index, installer.Get(p));
    bool ok = true, during = false;
    QTimer::singleShot(100, [&] {
        auto* dialog = qobject_cast<MeasureDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        ok = Save(dialog, dir, "measure-before-" + s + ".png") && ok;
        QObject::connect(dialog, &MeasureDialog::channelMeasured, dialog, [&, dialog] {
            if (dialog->Results().size() == 2 && !during) {
                during = true;
                ok = Save(dialog, dir, "measure-during-" + s + ".png") && ok;
            }
        });
        QEventLoop wait;
        QObject::connect(dialog, &MeasureDialog::measured, &wait, &QEventLoop::quit);
        QTimer::singleShot(60000, &wait, &QEventLoop::quit);
        dialog->Measure();
        if (dialog->Measuring()) wait.exec();
        ok =
            Save(dialog, dir, "measure-after-" + s + ".png") && ok && during && dialog->Results().size() == 6;
        dialog->close();
    });
    button->click();
    for (const ParamRecord& p : Parameters())
        if (app.Db().Block().Get(p) != before.Get(p)) app.Db().SetParam(p.index, before.Get(p));
    return ok;
}

// The main window with a measurement, its prediction and a house curve on
// the editor, some bands set against the dip, and the measurement dialog.
bool SaveMeasurement(AppContext& app, NoFiles& files, const QString& measurement, const QDir& dir,
                     const QString& s) {
    CMainDlg* main = app.MainWindow();
    const int ch = app.Db().SelectedChannel();
    constexpr std::pair<int, int> kBands[] = {{16, -500}, {19, 300}, {21, 450}, {24, -250}};
    for (const auto& [band, gain] : kBands) app.Db().SetBandGain(ch, band, static_cast<uint16_t>(gain));
    app.Services().curves.Model(ch).SetAllBands(ChannelCurves::BandInputs(app.Db().Block(), ch));
    main->RefreshAll();
    main->Command(67);
    QWidget* panel = main->MeasurementPanel();
    if (!panel) return false;
    files.openPath = measurement;
    if (auto* load = panel->findChild<QPushButton*>("btnLoad")) load->click();
    files.openPath.clear();
    if (auto* smoothing = panel->findChild<QComboBox*>("smoothing")) smoothing->setCurrentIndex(3);
    if (auto* target = panel->findChild<QComboBox*>("target")) target->setCurrentIndex(1);
    if (auto* bass = panel->findChild<QLineEdit*>("bassDb")) {
        bass->setText("6");
        emit bass->editingFinished();
    }
    if (auto* tilt = panel->findChild<QLineEdit*>("tiltDb")) {
        tilt->setText("-1.5");
        emit tilt->editingFinished();
    }
    panel->hide();
    bool ok = Save(main, dir, "main-measurement-" + s + ".png");
    ok = Save(panel, dir, "measurement-dialog-" + s + ".png") && ok;
    ok = SaveAutoEq(*main, app.Session(), *panel, dir, s) && ok;
    ok = SaveAlign(*panel, files, QFileInfo(measurement).dir(), dir, s) && ok;
    ok = SaveTuneCar(app, *panel, files, QFileInfo(measurement).dir(), dir, s) && ok;
    ok = SaveMeasure(app, *panel, dir, s) && ok;
    // The next pictures show the window as before.
    if (auto* clear = panel->findChild<QPushButton*>("btnClear")) clear->click();
    if (auto* target = panel->findChild<QComboBox*>("target")) target->setCurrentIndex(0);
    panel->close();
    for (const auto& [band, gain] : kBands) app.Db().SetBandGain(ch, band, 0);
    app.Services().curves.Model(ch).SetAllBands(ChannelCurves::BandInputs(app.Db().Block(), ch));
    main->RefreshAll();
    return ok;
}

// The main window after an edit, so Undo is enabled, and both windows with
// tuning B shown; every edit is taken back for the pictures that follow.
bool SaveUndoAndAB(AppContext& app, const QDir& dir, const QString& s) {
    EditSession& session = app.Session();
    CMainDlg* main = app.MainWindow();
    const int ch = app.Db().SelectedChannel();
    auto edit = [&](int band, int gain) {
        EditSession::Scope step(session, ChannelStep("%1 band %2 gain", ch, band));
        app.Db().SetBandGain(ch, band, static_cast<uint16_t>(gain));
        app.Db().RebuildCurveModels();
    };
    edit(6, 450);
    main->RefreshAll();
    bool ok = Save(main, dir, "main-undo-" + s + ".png");
    session.Switch();
    edit(12, -300);
    main->RefreshAll();
    ok = Save(main, dir, "main-tuning-b-" + s + ".png") && ok;
    if (CMiniDlg* compact = app.CompactWindow())
        ok = Save(compact, dir, "compact-tuning-b-" + s + ".png") && ok;
    session.Undo();
    session.Switch();
    session.Undo();
    main->RefreshAll();
    return ok;
}

// The question when the box comes back holding another tuning than the one
// shown; the box closed without an answer takes the box's, which undo
// takes back.
bool SaveReplugQuestion(AppContext& app, const QDir& dir, const QString& s) {
    ParamDatabase& db = app.Db();
    EditSession& session = app.Session();
    emulator::EmulatedBox* box = app.Emulator() ? app.Emulator()->FindBox("emulator:0") : nullptr;
    if (!box) return false;
    {
        EditSession::Scope step(session, StepLabel("Master level"));
        db.SetMainVolume(30);
    }
    db.Disconnect();
    EffectBlock other = box->Firmware().CurrentImage();
    other.Set(*FindParam(param::MainVol), 44);
    box->Firmware().SetCurrentImage(other);
    bool ok = false;
    QTimer::singleShot(100, [&, s] {
        if (QWidget* question = QApplication::activeModalWidget()) {
            ok = Save(question, dir, "message-replug-" + s + ".png");
            question->close();
        }
    });
    MessageBoxPrompter prompter;
    if (db.Connect() != ConnectStatus::Connected ||
        db.ReadImageOnConnect() != ParamDatabase::ConnectImage::Differs)
        return false;
    SettleTuningWithBox(db, session, prompter, nullptr);
    session.Undo();
    session.Undo();
    app.MainWindow()->RefreshAll();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    // A desktop screen, and a laptop's for the main window cut to it.
    QTemporaryFile screens;
    UseOffscreenScreens(screens);
    QApplication qapp(argc, argv);
    // The pictures' scenes go to a data folder of their own, never the user's.
    QTemporaryDir data;
    if (!data.isValid()) return 1;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    const QStringList args = QApplication::arguments();
    const QDir dir(args.size() > 1 ? args[1] : QStringLiteral("screenshots"));
    if (!QDir().mkpath(dir.path())) return 1;
    AppOptions options;
    options.hide = true;
    options.emulate = true;
    options.lockFolder = QDir::tempPath();
    SilentPrompter prompter;
    NoFiles files;
    AppContext app(options);
    if (!app.Init(&prompter, &files) || !app.CreateWindows()) return 1;
    const AppServices& services = app.Services();
    const QString measurement = QDir(data.path()).filePath("car-measurement.txt");
    if (QFile file(measurement); !file.open(QIODevice::WriteOnly) || file.write(CarMeasurement()) < 0)
        return 1;
    storage::SceneList scenes;
    for (const char16_t* name : {u"Bass boost", u"Vocal stage", u"Night drive"})
        storage::AddScene(scenes, name, app.Db().Block(), app.Settings());
    bool ok = true;
    for (const auto& [language, suffix] : {std::pair{kEnglish, "en"}, {kChinese, "zh"}}) {
        app.Language().Use(language);
        QApplication::processEvents();
        const QString s = QString::fromLatin1(suffix);
        if (CMiniDlg* compact = app.CompactWindow()) ok = Save(compact, dir, "compact-" + s + ".png") && ok;
        app.MainWindow()->RefreshAll();
        ok = Save(app.MainWindow(), dir, "main-" + s + ".png") && ok;
        for (QScreen* screen : QGuiApplication::screens())
            if (screen->name() == "laptop") ok = SaveOnSmallScreen(app.MainWindow(), screen, dir, s) && ok;
        // A message box as the windows show one: grabbed once it is up.
        QTimer::singleShot(100, [&, s] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                ok = Save(box, dir, "message-" + s + ".png") && ok;
                box->close();
            }
        });
        MessageBoxPrompter().Inform(nullptr, Tr("messagebox", "No device detected!"),
                                    Tr("messagebox", "Prompt"));
        // The longest message: what the start says of a damaged settings file.
        QTimer::singleShot(100, [&, s] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                ok = Save(box, dir, "message-settings-" + s + ".png") && ok;
                box->close();
            }
        });
        MessageBoxPrompter().Inform(
            nullptr,
            Tr("messagebox",
               "The settings file could not be read completely. The settings that could "
               "be read are in use; the damaged file was kept as:\n%1")
                .arg(QDir(data.path()).filePath("CarAudioHalvern/config.ini.unreadable-2")),
            QString());
        CCommonDlg login("XML_ADVANCED_LOGIN");
        new CDlgLoginEventHandler(login);
        ok = Save(&login, dir, "login-" + s + ".png") && ok;
        ok = SaveDialogs(app, services, dir, s) && ok;
        ok = SaveFilterImport(app, dir, s) && ok;
        ok = SaveMeasurement(app, files, measurement, dir, s) && ok;
        ok = SaveAutoEqSpeakers(app, files, QDir(data.path()), dir, s) && ok;
        ok = SaveUndoAndAB(app, dir, s) && ok;
        ok = SaveReplugQuestion(app, dir, s) && ok;
    }
    return ok ? 0 : 1;
}
