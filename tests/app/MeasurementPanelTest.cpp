// A measurement on the EQ editor, set through the File menu's measurement
// dialog as a user does: loaded, hidden, followed through edits and channel
// switches, refused when bad, and kept in config.ini for the next start.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <cmath>
#include <complex>

#include "AppRig.h"
#include "MeasurementDialog.h"
#include "SMoveThumb.h"
#include "SkButtons.h"
#include "SkEQ.h"
#include "Textbook.h"
#include "Utf16Text.h"
#include "WidgetInput.h"

namespace caraudio::app::test {
namespace {

using widgets::EqOverlayCurve;
using widgets::EqOverlayRole;
using widgets::SkCheckButton;
using widgets::test::MoveTo;
using widgets::test::Press;
using widgets::test::Release;

constexpr int kCh2 = 3, kCh3 = 4;  // block indexes of CH2 and CH3
constexpr double kPi = 3.14159265358979323846;

// A car at the listening position: a cabin gain bump in the bass, a dip in
// the upper mids, rolled off at both ends; absolute SPL around 80 dB.
double CarLevelDb(double hz) {
    return 80 + 8 * std::exp(-std::pow(std::log2(hz / 50), 2)) -
           5 * std::exp(-std::pow(std::log2(hz / 3000) / 0.5, 2));
}

// The level as a measuring program exports it: 48 points per octave from
// 25 Hz to 16 kHz with a phase column, as REW text.
QByteArray RewMeasurement(double fromHz = 25, double toHz = 16000) {
    QByteArray text =
        "* Measurement data measured by REW V5.20\n* Source: USB, UMIK-1\n"
        "* Freq(Hz) SPL(dB) Phase(degrees)\n";
    for (double hz = fromHz; hz <= toHz * 1.0001; hz *= std::pow(2.0, 1.0 / 48))
        text += QString("%1 %2 %3\n").arg(hz, 0, 'f', 3).arg(CarLevelDb(hz), 0, 'f', 4).arg(-12.5).toUtf8();
    return text;
}

// |H| in dB of the cookbook peaking biquad at 48 kHz.
double PeakingDb(double fc, double gainDb, double q, double hz) {
    const double fs = 48000;
    const double a = std::pow(10.0, gainDb / 40), w0 = 2 * kPi * fc / fs, alpha = std::sin(w0) / (2 * q);
    const std::complex<double> z1 = std::polar(1.0, -2 * kPi * hz / fs), z2 = z1 * z1;
    const std::complex<double> num = (1 + alpha * a) - 2 * std::cos(w0) * z1 + (1 - alpha * a) * z2;
    const std::complex<double> den = (1 + alpha / a) - 2 * std::cos(w0) * z1 + (1 - alpha / a) * z2;
    return 20 * std::log10(std::abs(num / den));
}

class MeasurementPanelTest : public AppRig {
protected:
    void Start() {
        AppRig::Start();
        app->Language().Use(kEnglish);
        Settle();
    }
    void Restart() {
        app.reset();
        prompter.messages.clear();
        Start();
    }
    void Select(int block) {
        Click(Ctl<SkCheckButton>(1600 + block));  // the channel's speaker on the car map
        ASSERT_EQ(Db().SelectedChannel(), block);
    }
    MeasurementDialog* OpenPanel() {
        FileMenu("Measurement...");
        Settle();
        return Main().MeasurementPanel();
    }
    template <typename T>
    T* In(const char* name) {
        T* w = Main().MeasurementPanel() ? Main().MeasurementPanel()->findChild<T*>(name) : nullptr;
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void Load(const char* button, const QString& path) {
        files.openPaths = {path};
        Click(In<QPushButton>(button));
        Settle();
    }
    const std::vector<EqOverlayCurve>& Overlays() { return Main().Editor()->OverlayCurves(); }
    const EqOverlayCurve* Curve(EqOverlayRole role) {
        for (const EqOverlayCurve& c : Overlays())
            if (c.role == role) return &c;
        return nullptr;
    }
    const EqCurveModel& Model() { return *Main().Editor()->Model(); }
    QString ConfigIni() {
        QFile f(QDir(data.path()).filePath("CarAudioHalvern/config.ini"));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QString::fromUtf8(f.readAll());
    }
    // The measurement expected on the grid: the generator's level, moved so
    // that its mean over the grid points in the range is the flat target's 0.
    std::vector<double> AlignedCar(double lowHz, double highHz) {
        const FrequencyGrid& grid = Model().Grid();
        double sum = 0;
        int n = 0;
        for (int i = 0; i < FrequencyGrid::kPoints; ++i)
            if (grid.Hz(i) >= lowHz && grid.Hz(i) <= highHz) sum += CarLevelDb(grid.Hz(i)), ++n;
        std::vector<double> out;
        for (int i = 0; i < FrequencyGrid::kPoints; ++i) out.push_back(CarLevelDb(grid.Hz(i)) - sum / n);
        return out;
    }
    // Predicted is measured plus the channel's curve at every point, NaN where
    // nothing was measured.
    void ExpectPredictedIsMeasuredPlusTheCurve(const char* when) {
        const EqOverlayCurve *measured = Curve(EqOverlayRole::Measured),
                             *predicted = Curve(EqOverlayRole::Predicted);
        ASSERT_TRUE(measured && predicted) << when;
        for (size_t i = 0; i < FrequencyGrid::kPoints; ++i) {
            if (std::isnan(measured->values[i])) {
                EXPECT_TRUE(std::isnan(predicted->values[i])) << when << " at " << i;
                continue;
            }
            ASSERT_NEAR(predicted->values[i], measured->values[i] + Model().Curve1()[i], 1e-9)
                << when << " at " << i;
        }
    }
};

TEST_F(MeasurementPanelTest, TheEditorShowsTheMeasurementAndThePredictionFollowsTheDrag) {
    Start();
    Select(kCh2);
    EXPECT_TRUE(Overlays().empty()) << "nothing loaded: the editor as it always was";
    MeasurementDialog* panel = OpenPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(panel->isModal());
    EXPECT_EQ(In<QLabel>("channel")->text(), "CH2");
    EXPECT_EQ(In<QLineEdit>("rangeLow")->text(), "200");
    EXPECT_EQ(In<QLineEdit>("rangeHigh")->text(), "2000");

    const QString path = Write("front-left.txt", RewMeasurement());
    Load("btnLoad", path);
    EXPECT_TRUE(Texts().isEmpty());
    ASSERT_EQ(files.calls.size(), 1u);
    EXPECT_EQ(files.calls[0].filter, "Measurements (*.txt *.frd *.dat);;All files (*)");
    EXPECT_EQ(In<QLabel>("file")->text(), path);
    ASSERT_EQ(Overlays().size(), 3u);
    const struct {
        EqOverlayRole role;
        const char* name;
    } roles[] = {{EqOverlayRole::Measured, "Measured"},
                 {EqOverlayRole::Predicted, "Predicted"},
                 {EqOverlayRole::Target, "Target"}};
    for (const auto& r : roles) {
        const EqOverlayCurve* c = Curve(r.role);
        ASSERT_NE(c, nullptr) << r.name;
        EXPECT_EQ(c->name, r.name);
        EXPECT_TRUE(c->shown) << r.name;
    }

    // Measured: the file's level on the target (flat) over 200..2000 Hz, and
    // only where the file has points.
    const std::vector<double> expected = AlignedCar(200, 2000);
    const FrequencyGrid& grid = Model().Grid();
    const EqOverlayCurve measured = *Curve(EqOverlayRole::Measured);
    double worst = 0;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double hz = grid.Hz(i), v = measured.values[size_t(i)];
        if (hz < 24.9 || hz > 16001) {
            EXPECT_TRUE(std::isnan(v)) << hz << " Hz is outside the file";
            continue;
        }
        worst = std::max(worst, std::abs(v - expected[size_t(i)]));
        EXPECT_EQ(Curve(EqOverlayRole::Target)->values[size_t(i)], 0) << "flat target";
    }
    EXPECT_LT(worst, 0.02);
    ExpectPredictedIsMeasuredPlusTheCurve("after loading");

    // A thumb drag: every step moves the prediction by the band's response.
    const int band = 7;
    const double fc = Db().GetParam(param::BandFreq(kCh2, band));
    const double q = Db().GetParam(param::BandQ(kCh2, band)) / 300.0;
    ASSERT_EQ(static_cast<int16_t>(Db().GetParam(param::BandGain(kCh2, band))), 0);
    int at = 0;  // the grid point nearest the band's frequency
    for (int i = 0; i < FrequencyGrid::kPoints; ++i)
        if (std::abs(std::log(grid.Hz(i) / fc)) < std::abs(std::log(grid.Hz(at) / fc))) at = i;
    const double before = Curve(EqOverlayRole::Predicted)->values[size_t(at)];
    widgets::SMoveThumb* thumb = Main().Editor()->BandThumb(band);
    const QPoint grab = thumb->rect().center();
    Press(thumb, grab);
    int steps = 0;
    for (int step = 1; step <= 5; ++step) {
        MoveTo(thumb, grab + QPoint(0, -10 * step));
        const double gain = static_cast<int16_t>(Db().GetParam(param::BandGain(kCh2, band))) / 100.0;
        if (gain == 0) continue;
        ++steps;
        EXPECT_NEAR(Curve(EqOverlayRole::Predicted)->values[size_t(at)] - before,
                    PeakingDb(fc, gain, q, grid.Hz(at)) - PeakingDb(fc, 0, q, grid.Hz(at)), 0.1)
            << "step " << step << ", " << gain << " dB";
        ExpectPredictedIsMeasuredPlusTheCurve("while dragging");
    }
    Release(thumb, grab + QPoint(0, -50));
    EXPECT_GE(steps, 4) << "the drag changed the gain";
    EXPECT_TRUE(Curve(EqOverlayRole::Measured)->SameAs(measured)) << "the measurement stays";

    // Hiding: each box hides its own curve only.
    Click(In<QCheckBox>("showPredicted"));
    EXPECT_FALSE(Curve(EqOverlayRole::Predicted)->shown);
    EXPECT_TRUE(Curve(EqOverlayRole::Measured)->shown);
    EXPECT_TRUE(Curve(EqOverlayRole::Target)->shown);
    Click(In<QCheckBox>("showMeasured"));
    Click(In<QCheckBox>("showPredicted"));
    EXPECT_FALSE(Curve(EqOverlayRole::Measured)->shown);
    EXPECT_TRUE(Curve(EqOverlayRole::Predicted)->shown);

    // Another channel shows its own (none), the panel follows; back again.
    Select(kCh3);
    EXPECT_TRUE(Overlays().empty());
    EXPECT_EQ(In<QLabel>("channel")->text(), "CH3");
    EXPECT_EQ(In<QLabel>("file")->text(), "(none)");
    EXPECT_TRUE(In<QCheckBox>("showMeasured")->isChecked());
    Select(kCh2);
    ASSERT_EQ(Overlays().size(), 3u);
    EXPECT_FALSE(Curve(EqOverlayRole::Measured)->shown);
    EXPECT_FALSE(In<QCheckBox>("showMeasured")->isChecked());
    ExpectPredictedIsMeasuredPlusTheCurve("back on CH2");

    // Clear: the editor as before.
    Click(In<QPushButton>("btnClear"));
    EXPECT_TRUE(Overlays().empty());
}

TEST_F(MeasurementPanelTest, TargetsAndTheReferenceRangeSetTheLevel) {
    Start();
    Select(kCh2);
    OpenPanel();
    Load("btnLoad", Write("car.frd", RewMeasurement()));
    Type(In<QLineEdit>("rangeLow"), "500");
    Type(In<QLineEdit>("rangeHigh"), "5000");
    EXPECT_TRUE(Texts().isEmpty());
    const std::vector<double> expected = AlignedCar(500, 5000);
    const FrequencyGrid& grid = Model().Grid();
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        if (grid.Hz(i) < 30 || grid.Hz(i) > 15000) continue;
        ASSERT_NEAR(Curve(EqOverlayRole::Measured)->values[size_t(i)], expected[size_t(i)], 0.02)
            << grid.Hz(i);
    }

    // Ranges the editor does not take: told, and the range in use stays.
    for (const auto& [field, typed] : {std::pair{"rangeLow", "6000"},
                                       {"rangeLow", "10"},
                                       {"rangeHigh", "25000"},
                                       {"rangeLow", "abc"},
                                       {"rangeHigh", "400"}}) {
        Type(In<QLineEdit>(field), typed);
        const QStringList told = Texts();
        ASSERT_EQ(told.size(), 1) << field << " " << typed;
        EXPECT_TRUE(told[0].contains("20 to 20000 Hz")) << told[0].toStdString();
        EXPECT_EQ(In<QLineEdit>("rangeLow")->text(), "500");
        EXPECT_EQ(In<QLineEdit>("rangeHigh")->text(), "5000");
    }

    // A target file: the measurement lies on it over the range (a target 3 dB
    // higher everywhere lifts the measurement by 3 dB).
    QByteArray target = "* target\n";
    for (const double hz : {20.0, 20000.0}) target += QString("%1 3\n").arg(hz).toUtf8();
    Load("btnTargetFile", Write("target.txt", target));
    EXPECT_TRUE(Texts().isEmpty());
    EXPECT_EQ(In<QComboBox>("target")->currentIndex(), 2);
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        if (grid.Hz(i) < 30 || grid.Hz(i) > 15000) continue;
        ASSERT_NEAR(Curve(EqOverlayRole::Measured)->values[size_t(i)], expected[size_t(i)] + 3, 0.02);
        ASSERT_NEAR(Curve(EqOverlayRole::Target)->values[size_t(i)], 3, 1e-9);
    }

    // The house curve: a shelf of 6 dB at 80 Hz (half of it at the corner)
    // and -2 dB per decade above 1 kHz.
    In<QComboBox>("target")->setCurrentIndex(1);
    Type(In<QLineEdit>("bassDb"), "6");
    Type(In<QLineEdit>("tiltDb"), "-2");
    EXPECT_TRUE(Texts().isEmpty());
    const EqOverlayCurve* house = Curve(EqOverlayRole::Target);
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double hz = grid.Hz(i);
        if (std::abs(std::log(hz / 80)) < 0.005) {
            EXPECT_NEAR(house->values[size_t(i)], 3, 0.1) << hz;
        } else if (hz > 2000) {
            EXPECT_NEAR(house->values[size_t(i)], -2 * std::log10(hz / 1000), 0.05) << hz;
        }
    }
    Type(In<QLineEdit>("bassDb"), "40");
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_EQ(In<QLineEdit>("bassDb")->text(), "6");
}

TEST_F(MeasurementPanelTest, RefusedFilesAreToldByLineAndKeepWhatWasLoaded) {
    Start();
    Select(kCh2);
    OpenPanel();
    const QString good = Write("good.txt", RewMeasurement());
    Load("btnLoad", good);
    const std::vector<EqOverlayCurve> shown = Overlays();
    ASSERT_EQ(shown.size(), 3u);
    const struct {
        const char* file;
        QByteArray content;
        QStringList told;
        std::optional<NotAFile> special = std::nullopt;
    } cases[] = {
        {"words.txt",
         "* REW\n100 80\nhello world\n200 81\n",
         {"Line 3: hello world", "not a frequency and a level"}},
        {"backwards.txt",
         "100 80\n200 81\n150 82\n",
         {"Line 3: 150 82", "not above the one of the line before"}},
        {"one-point.txt", "* one\n100 80\n", {"a single point"}},
        {"zero.txt", "0 80\n100 80\n", {"Line 1: 0 80", "not above 0 Hz"}},
        {"empty.txt", "", {"no measured points"}},
        {"", {}, {"The file is not there:"}},
        {"fifo.txt",
         {},
         {"The file could not be read:", "It is not a regular file (a FIFO)."},
         NotAFile::Fifo},
        {"dev-zero.txt",
         {},
         {"The file could not be read:", "It is not a regular file (a device)."},
         NotAFile::Zero},
    };
    for (const auto& c : cases) {
        const QString path = c.special ? Place(c.file, *c.special)
                             : *c.file ? Write(c.file, c.content)
                                       : QDir(data.path()).filePath("gone.txt");
        for (const char* button : {"btnLoad", "btnTargetFile"}) {
            Load(button, path);
            const QStringList texts = Texts();
            ASSERT_EQ(texts.size(), 1) << c.file << " " << button;
            EXPECT_TRUE(texts[0].contains(path)) << texts[0].toStdString();
            for (const QString& part : c.told) EXPECT_TRUE(texts[0].contains(part)) << texts[0].toStdString();
            EXPECT_EQ(In<QLabel>("file")->text(), good) << c.file;
            EXPECT_EQ(In<QComboBox>("target")->currentIndex(), 0) << c.file;
            ASSERT_EQ(Overlays().size(), 3u);
            for (size_t k = 0; k < 3; ++k) EXPECT_TRUE(Overlays()[k].SameAs(shown[k])) << c.file << " " << k;
        }
    }
    EXPECT_TRUE(ConfigIni().contains("CH2.File=" + good));
}

TEST_F(MeasurementPanelTest, SettingsComeBackAtTheNextStartAndAGoneFileIsToldOnce) {
    Start();
    Select(kCh2);
    OpenPanel();
    const QString path = Write("ch2.txt", RewMeasurement());
    Load("btnLoad", path);
    In<QComboBox>("smoothing")->setCurrentIndex(4);  // 1/6 octave
    Type(In<QLineEdit>("rangeLow"), "300");
    Type(In<QLineEdit>("rangeHigh"), "3000");
    In<QComboBox>("target")->setCurrentIndex(1);
    Type(In<QLineEdit>("bassDb"), "7.5");
    Type(In<QLineEdit>("bassHz"), "90");
    Type(In<QLineEdit>("tiltDb"), "-1.5");
    Type(In<QLineEdit>("tiltHz"), "800");
    Click(In<QCheckBox>("showTarget"));
    const std::vector<EqOverlayCurve> before = Overlays();
    ASSERT_EQ(before.size(), 3u);
    const QString ini = ConfigIni();
    for (const QString& line :
         {QString("[Measurement]"), "CH2.File=" + path, QString("CH2.Smoothing=1/6"),
          QString("CH2.ReferenceLowHz=300"), QString("CH2.ReferenceHighHz=3000"), QString("CH2.Target=House"),
          QString("CH2.BassLiftDb=7.5"), QString("CH2.BassLiftHz=90"), QString("CH2.TiltDbPerDecade=-1.5"),
          QString("CH2.TiltFromHz=800"), QString("CH2.ShowTarget=0")})
        EXPECT_TRUE(ini.contains(line)) << line.toStdString() << "\nin:\n" << ini.toStdString();

    // The next start: the same curves, the same settings in the dialog.
    Restart();
    Select(kCh2);
    EXPECT_TRUE(Texts().isEmpty());
    ASSERT_EQ(Overlays().size(), 3u);
    for (size_t k = 0; k < 3; ++k) EXPECT_TRUE(Overlays()[k].SameAs(before[k])) << k;
    OpenPanel();
    EXPECT_EQ(In<QLabel>("file")->text(), path);
    EXPECT_EQ(In<QComboBox>("smoothing")->currentIndex(), 4);
    EXPECT_EQ(In<QLineEdit>("rangeLow")->text(), "300");
    EXPECT_EQ(In<QComboBox>("target")->currentIndex(), 1);
    EXPECT_EQ(In<QLineEdit>("bassDb")->text(), "7.5");
    EXPECT_FALSE(In<QCheckBox>("showTarget")->isChecked());

    // The file gone: told once, naming it; the program runs, the setting stays.
    ASSERT_TRUE(QFile::rename(path, path + ".away"));
    Restart();
    ASSERT_TRUE(WaitFor([&] { return !prompter.messages.empty(); }, 1000));
    const QStringList told = Texts();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains("CH2: " + path)) << told[0].toStdString();
    Select(kCh2);
    ASSERT_EQ(Overlays().size(), 1u) << "only the house curve";
    EXPECT_EQ(Overlays()[0].role, EqOverlayRole::Target);
    EXPECT_TRUE(ConfigIni().contains("CH2.File=" + path));

    // Back again: shown as before, nothing told.
    ASSERT_TRUE(QFile::rename(path + ".away", path));
    Restart();
    Settle();
    EXPECT_TRUE(Texts().isEmpty());
    Select(kCh2);
    ASSERT_EQ(Overlays().size(), 3u);
    for (size_t k = 0; k < 3; ++k) EXPECT_TRUE(Overlays()[k].SameAs(before[k])) << k;
}

// A tweeter rolling off at 1.2 kHz (an analog second-order high-pass, Q
// 0.8), 48 points per octave from 300 Hz to 16 kHz.
double TweeterDb(double hz) {
    const std::complex<double> s(0, hz / 1200);
    return 88 + 20 * std::log10(std::abs(s * s / (s * s + s / 0.8 + 1.0)));
}

// Measured through a Linkwitz-Riley 24 dB/oct high-pass at 3 kHz (two
// textbook Butterworth sections) and a -4 dB band at 6 kHz, Q 2.
QByteArray TweeterThroughItsSettings() {
    QByteArray text = "* Freq(Hz) SPL(dB)\n";
    for (double hz = 300; hz <= 16000; hz *= std::pow(2.0, 1.0 / 48)) {
        const double db = TweeterDb(hz) +
                          2 * caraudio::test::TextbookPassDb(true, 3000, 1 / std::sqrt(2.0), hz) +
                          caraudio::test::TextbookPeakingDb(6000, -4, 2, hz);
        text += QString("%1 %2\n").arg(hz, 0, 'f', 4).arg(db, 0, 'f', 5).toUtf8();
    }
    return text;
}

TEST_F(MeasurementPanelTest, MeasuredWithTakesOutTheSettingsOfLoadTime) {
    Start();
    Select(kCh2);
    Db().SetParam(param::HighPassType(kCh2), 2 << 6 | 3);  // Linkwitz 24 dB/oct
    Db().SetParam(param::HighPassFreq(kCh2), 3000);
    Db().SetParam(param::LowPassType(kCh2), 8);  // off
    Db().SetParam(param::BandFreq(kCh2, 12), 6000);
    Db().SetParam(param::BandQ(kCh2, 12), 600);
    Db().SetParam(param::BandGain(kCh2, 12), static_cast<uint16_t>(-400));
    Settle();
    OpenPanel();
    Load("btnLoad", Write("tweeter.txt", TweeterThroughItsSettings()));
    QComboBox* with = In<QComboBox>("measuredWith");
    ASSERT_EQ(with->count(), 3);
    EXPECT_EQ(with->currentIndex(), 0) << "flat unless told";

    // The prediction expected: the tweeter alone, moved onto the flat target
    // over 300..2000 Hz, plus the channel's curve as it is now.
    const FrequencyGrid& grid = Model().Grid();
    auto expectPredicted = [&](const char* when, bool alone) {
        double sum = 0;
        int n = 0;
        for (int i = 0; i < FrequencyGrid::kPoints; ++i)
            if (grid.Hz(i) >= 300 && grid.Hz(i) <= 2000) sum += TweeterDb(grid.Hz(i)), ++n;
        const EqOverlayCurve* predicted = Curve(EqOverlayRole::Predicted);
        ASSERT_NE(predicted, nullptr) << when;
        double worst = 0;
        for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
            const double hz = grid.Hz(i), v = predicted->values[size_t(i)];
            if (hz < 301 || hz > 15990) continue;
            worst = std::max(worst, std::abs(v - (TweeterDb(hz) - sum / n + Model().Curve1()[size_t(i)])));
        }
        if (alone)
            EXPECT_LT(worst, 0.05) << when;
        else
            EXPECT_GT(worst, 3) << when << ": the settings counted twice";
    };
    expectPredicted("taken as flat", false);

    Choose(with, 2);  // its EQ and crossovers
    Settle();
    expectPredicted("through its EQ and crossovers", true);
    QString ini = ConfigIni();
    EXPECT_TRUE(ini.contains("CH2.MeasuredWith=current")) << ini.toStdString();
    EXPECT_TRUE(ini.contains(QRegularExpression("CH2.SettingsAtLoad=[0-9A-F]{402}\n"))) << ini.toStdString();
    EXPECT_TRUE(In<QLabel>("status")->text().contains(
        "The prediction takes out CH2's EQ and crossovers as they were when the measurement was loaded."));

    // Edits since loading: still the settings of then come out.
    Db().SetParam(param::HighPassFreq(kCh2), 2200);
    Db().SetParam(param::BandGain(kCh2, 12), static_cast<uint16_t>(-100));
    Settle();
    expectPredicted("after edits", true);
    EXPECT_EQ(ConfigIni(), ini) << "the settings of load time stay";

    // Its crossovers only: the band's -4 dB is left in the speaker.
    Choose(with, 1);
    Settle();
    EXPECT_TRUE(ConfigIni().contains("CH2.MeasuredWith=crossovers"));
    expectPredicted("through its crossovers only", false);
    Choose(with, 2);
    Settle();

    // The next start: the same choice, the same prediction.
    const std::vector<EqOverlayCurve> before = Overlays();
    Restart();
    Select(kCh2);
    EXPECT_TRUE(Texts().isEmpty());
    ASSERT_EQ(Overlays().size(), 3u);
    for (size_t k = 0; k < 3; ++k) EXPECT_TRUE(Overlays()[k].SameAs(before[k])) << k;
    OpenPanel();
    EXPECT_EQ(In<QComboBox>("measuredWith")->currentIndex(), 2);

    // A damaged settings line: told at start, naming it; the measurement
    // stays, taken as flat.
    app.reset();
    {
        QFile f(QDir(data.path()).filePath("CarAudioHalvern/config.ini"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(f.readAll());
        f.close();
        text.replace(QRegularExpression("CH2.SettingsAtLoad=[0-9A-F]{40}"), "CH2.SettingsAtLoad=00");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8());
    }
    prompter.messages.clear();
    Start();
    ASSERT_TRUE(WaitFor([&] { return !prompter.messages.empty(); }, 1000));
    const QStringList told = Texts();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains("[Measurement] CH2.SettingsAtLoad")) << told[0].toStdString();
    Select(kCh2);
    ASSERT_EQ(Overlays().size(), 3u) << "the measurement is kept";
    ExpectPredictedIsMeasuredPlusTheCurve("taken as flat");
    OpenPanel();
    EXPECT_EQ(In<QComboBox>("measuredWith")->currentIndex(), 0);
    EXPECT_TRUE(In<QLabel>("status")->text().contains("CH2.SettingsAtLoad"))
        << In<QLabel>("status")->text().toStdString();
}

// Level columns that differ in their slope: column c falls by 0.5 * c - 2 dB
// per octave, so the curve drawn tells the column read.
double ColumnSlope(int column) {
    return 0.5 * column - 2;
}

// The open headphone project's results: frequency and ten curves.
QByteArray ResultsCsv() {
    QByteArray text =
        "frequency,raw,error,smoothed,error_smoothed,equalization,parametric_eq,fixed_band_eq,equalized_raw,"
        "equalized_smoothed,target\n";
    for (double hz = 20; hz <= 20000; hz *= std::pow(2.0, 1.0 / 24)) {
        text += QByteArray::number(hz, 'f', 2);
        for (int c = 1; c <= 10; ++c)
            text += "," + QByteArray::number(80 + ColumnSlope(c) * std::log2(hz / 1000), 'f', 2);
        text += "\n";
    }
    return text;
}

// An analyser's left and right channel side by side after four quoted lines.
QByteArray AnalyserCsv() {
    QByteArray text =
        "\"Analyser export\"\n\"Date: 2025-01-08\"\n\"Left: front left, Right: front right\"\n"
        "\"Averaging: 8\"\nHz,dBSPL,Hz,dBSPL\n";
    for (double hz = 20; hz <= 20000; hz *= std::pow(2.0, 1.0 / 24))
        for (int c : {1, 2})
            text += QByteArray::number(hz, 'f', 2) + "," +
                    QByteArray::number(80 + ColumnSlope(c) * std::log2(hz / 1000), 'f', 2) +
                    (c == 1 ? "," : "\n");
    return text;
}

// A text as Windows programs save it.
QByteArray Utf16(const QByteArray& ascii) {
    return QByteArray::fromStdString(caraudio::test::Utf16WithMark(ascii.toStdString()));
}

class MeasurementFilesTest : public MeasurementPanelTest {
protected:
    // The drawn measured curve's slope, dB per octave, from 100 Hz to 5 kHz.
    double MeasuredSlope() {
        const EqOverlayCurve* measured = Curve(EqOverlayRole::Measured);
        EXPECT_NE(measured, nullptr);
        if (!measured) return NAN;
        const FrequencyGrid& grid = Model().Grid();
        int low = -1, high = -1;
        for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
            if (low < 0 && grid.Hz(i) >= 100) low = i;
            if (grid.Hz(i) <= 5000) high = i;
        }
        return (measured->values[size_t(high)] - measured->values[size_t(low)]) /
               std::log2(grid.Hz(high) / grid.Hz(low));
    }
    QStringList Columns() {
        QStringList items;
        for (int i = 0; i < In<QComboBox>("column")->count(); ++i)
            items << In<QComboBox>("column")->itemText(i);
        return items;
    }
};

TEST_F(MeasurementFilesTest, FilesWithSeveralCurvesOfferThemAndTheChoiceIsKept) {
    Start();
    Select(kCh2);
    OpenPanel();
    QComboBox* column = In<QComboBox>("column");
    EXPECT_FALSE(column->isEnabled()) << "no file, nothing to choose";
    const QString results = Write("results.csv", ResultsCsv());
    Load("btnLoad", results);
    EXPECT_TRUE(Texts().isEmpty());
    EXPECT_EQ(Columns(),
              QStringList({"raw", "error", "smoothed", "error_smoothed", "equalization", "parametric_eq",
                           "fixed_band_eq", "equalized_raw", "equalized_smoothed", "target"}));
    EXPECT_TRUE(column->isEnabled());
    EXPECT_EQ(column->currentText(), "raw") << "the automatic choice";
    EXPECT_NEAR(MeasuredSlope(), ColumnSlope(1), 0.01);
    EXPECT_TRUE(ConfigIni().contains("CH2.Column=\n")) << "automatic";

    column->setCurrentIndex(2);
    Settle();
    EXPECT_TRUE(Texts().isEmpty());
    EXPECT_NEAR(MeasuredSlope(), ColumnSlope(3), 0.01);
    EXPECT_TRUE(ConfigIni().contains("CH2.Column=smoothed")) << ConfigIni().toStdString();
    const std::vector<EqOverlayCurve> before = Overlays();

    // The next start reads the same column of the file.
    Restart();
    Select(kCh2);
    EXPECT_TRUE(Texts().isEmpty());
    ASSERT_EQ(Overlays().size(), before.size());
    for (size_t k = 0; k < before.size(); ++k) EXPECT_TRUE(Overlays()[k].SameAs(before[k])) << k;
    OpenPanel();
    EXPECT_EQ(In<QComboBox>("column")->currentText(), "smoothed");

    // Two curves of one name are told apart by number.
    Load("btnLoad", Write("analyser.csv", AnalyserCsv()));
    EXPECT_EQ(Columns(), QStringList({"dBSPL", "dBSPL"}));
    EXPECT_NEAR(MeasuredSlope(), ColumnSlope(1), 0.01) << "a new file starts from its automatic choice";
    In<QComboBox>("column")->setCurrentIndex(1);
    Settle();
    EXPECT_NEAR(MeasuredSlope(), ColumnSlope(2), 0.01);
    EXPECT_TRUE(ConfigIni().contains("CH2.Column=2"));

    // A file of one curve: nothing to choose.
    Load("btnLoad", Write("rew.txt", RewMeasurement()));
    EXPECT_EQ(Columns(), QStringList({"SPL(dB)"}));
    EXPECT_FALSE(In<QComboBox>("column")->isEnabled());
    EXPECT_TRUE(ConfigIni().contains("CH2.Column=\n"));

    // The results as a target: their target column.
    Load("btnTargetFile", results);
    EXPECT_TRUE(Texts().isEmpty());
    const FrequencyGrid& grid = Model().Grid();
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        if (grid.Hz(i) < 21 || grid.Hz(i) > 19000) continue;
        ASSERT_NEAR(Curve(EqOverlayRole::Target)->values[size_t(i)],
                    80 + ColumnSlope(10) * std::log2(grid.Hz(i) / 1000), 0.01)
            << grid.Hz(i);
    }
}

TEST_F(MeasurementFilesTest, ThePanelSaysHowAFileWasReadAndWhereItsDataEnded) {
    Start();
    Select(kCh2);
    OpenPanel();
    const QByteArray rew = RewMeasurement();
    Load("btnLoad", Write("plain.txt", rew));
    const std::vector<EqOverlayCurve> plain = Overlays();
    EXPECT_EQ(In<QLabel>("status")->text(), "");

    QByteArray latin = "Fr\xE9quence;Niveau;Phase\r\n";
    for (QByteArray line : rew.split('\n')) {
        if (line.isEmpty() || line.startsWith('*')) continue;
        line.replace('.', ',').replace(' ', ';');
        // A no-break space between thousands: "1 000,000".
        if (const auto comma = line.indexOf(','); comma >= 4) line.insert(comma - 3, '\xA0');
        latin += line + "\r\n";
    }
    const struct {
        const char* file;
        QByteArray bytes;
        QString said;
    } cases[] = {
        {"utf16.txt", Utf16(rew), "The measurement file was read as UTF-16."},
        {"latin1.csv", latin, "The measurement file was read as Latin-1 (Windows-1252)."},
        {"summary.txt", rew + "overall dB 0.0 dB\nEnd of data\n",
         QString("The measurement's data end at line %1 (overall dB 0.0 dB); the lines from there on are not "
                 "read.")
             .arg(rew.count('\n') + 1)},
    };
    for (const auto& c : cases) {
        Load("btnLoad", Write(c.file, c.bytes));
        EXPECT_TRUE(Texts().isEmpty()) << c.file;
        EXPECT_EQ(In<QLabel>("status")->text(), c.said) << c.file;
        ASSERT_EQ(Overlays().size(), plain.size()) << c.file;
        for (size_t k = 0; k < plain.size(); ++k)
            EXPECT_TRUE(Overlays()[k].SameAs(plain[k])) << c.file << " " << k;
    }

    // A refusal quotes the line as text and names the encoding.
    const QString bad = Write("bad16.txt", Utf16("* REW\r\n100 80\r\n200 nan\r\n"));
    Load("btnLoad", bad);
    const QStringList told = Texts();
    ASSERT_EQ(told.size(), 1);
    for (const char* part : {"Line 3: 200 nan", "The file was read as UTF-16."})
        EXPECT_TRUE(told[0].contains(part)) << told[0].toStdString();
    EXPECT_EQ(In<QLabel>("file")->text(), QDir(data.path()).filePath("summary.txt"));
}

TEST_F(MeasurementPanelTest, TheDialogSpeaksBothLanguages) {
    Start();
    Select(kCh2);
    OpenPanel();
    // No header, UTF-16, a closing line, short of the reference range: the
    // panel has something to say.
    Load("btnLoad", Write("ch2.txt", Utf16("100 80\r\n200 81\r\n400 82\r\nEnd of data\r\n")));
    const struct {
        int language;
        QStringList names;
        QString smoothing, label, column, status;
    } languages[] = {
        {kEnglish,
         {"Measured", "Predicted", "Target"},
         "1/6 octave",
         "Level column",
         "Column 1",
         "The measurement's level is set over 200..400 Hz only, as much of the reference range as it and "
         "the target cover.\nThe measurement file was read as UTF-16.\nThe measurement's data end at line 4 "
         "(End of data); the lines from there on are not read."},
        {kChinese,
         {"实测", "预测", "目标"},
         "1/6 倍频程",
         "电平列",
         "第 1 列",
         "测量曲线的电平只按 200..400 Hz 设定，即参考范围中测量曲线和目标曲线都覆盖的部分。\n"
         "测量文件已按 UTF-16 编码读取。\n测量文件的数据在第 4 行（End of "
         "data）结束；自该行起的内容未读取。"},
    };
    for (const auto& l : languages) {
        app->Language().Use(l.language);
        Settle();
        QStringList shown;
        for (const EqOverlayCurve& c : Overlays()) shown << c.name;
        EXPECT_EQ(shown, l.names);
        EXPECT_EQ(In<QComboBox>("smoothing")->itemText(4), l.smoothing);
        EXPECT_EQ(In<QLabel>("lblColumn")->text(), l.label);
        EXPECT_EQ(In<QComboBox>("column")->currentText(), l.column);
        EXPECT_EQ(In<QLabel>("status")->text(), l.status);
    }
}

}  // namespace
}  // namespace caraudio::app::test
