// Auto EQ and the alignment from impulse responses, reached from the
// measurement panel as a user does: the dialogs' fields, what they show,
// apply, discard and undo.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <cmath>
#include <random>

#include "AlignDialog.h"
#include "AppRig.h"
#include "AutoEqDialog.h"
#include "EditSession.h"
#include "MeasurementDialog.h"
#include "ParameterTable.h"
#include "ResponsePreview.h"
#include "SkButtons.h"
#include "SyntheticImpulse.h"

namespace caraudio::app::test {
namespace {

using widgets::EqOverlayRole;
using widgets::SkCheckButton;

constexpr int kCh2 = 3, kCh3 = 4;  // block indexes of CH2 and CH3

// A door woofer and tweeter at the seat: roll-offs below 60 Hz and above
// 14 kHz, a cabin bump of 6 dB at 45 Hz, a 4 dB dip at 2.5 kHz and a 3 dB
// peak at 700 Hz; absolute SPL around 80 dB.
double CarLevelDb(double hz) {
    const double lowRollOff = -10 * std::log10(1 + std::pow(60 / hz, 4));
    const double highRollOff = -10 * std::log10(1 + std::pow(hz / 14000, 4));
    auto bump = [hz](double at, double db, double octaves) {
        return db * std::exp(-std::pow(std::log2(hz / at) / octaves, 2));
    };
    return 80 + lowRollOff + highRollOff + bump(45, 6, 0.8) + bump(700, 3, 0.4) + bump(2500, -4, 0.5);
}

QByteArray RewMeasurement() {
    QByteArray text = "* Freq(Hz) SPL(dB) Phase(degrees)\n";
    for (double hz = 20; hz <= 20000; hz *= std::pow(2.0, 1.0 / 24))
        text += QString("%1 %2 0\n").arg(hz, 0, 'f', 3).arg(CarLevelDb(hz), 0, 'f', 4).toUtf8();
    return text;
}

class FitWindowsTest : public AppRig {
protected:
    void SetUp() override {
        Start();
        app->Language().Use(kEnglish);
        Click(Ctl<SkCheckButton>(1600 + kCh2));  // CH2's speaker on the car map
        ASSERT_EQ(Db().SelectedChannel(), kCh2);
        FileMenu("Measurement...");
        Settle();
        ASSERT_NE(Main().MeasurementPanel(), nullptr);
    }
    void LoadMeasurement() {
        files.openPaths = {Write("car.txt", RewMeasurement())};
        Click(Panel<QPushButton>("btnLoad"));
        QTest::qWait(20);
    }
    template <typename T>
    T* Panel(const char* name) {
        T* w = Main().MeasurementPanel()->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // Waits for the fit of the fields' values; generous, for sanitizer builds.
    bool Fitted(QWidget* dialog) {
        return WaitFor([&] { return Named<QPushButton>(dialog, "btnApply")->isEnabled(); }, 60000);
    }
    template <typename T>
    static T* Named(QWidget* dialog, const char* name) {
        return dialog->findChild<T*>(name);
    }
    std::array<analysis::BandValues, kBandCount> Bands(const EffectBlock& image, int block) {
        std::array<analysis::BandValues, kBandCount> out;
        for (int b = 0; b < kBandCount; ++b)
            out[size_t(b)] = {image.Get(*FindParam(param::BandFreq(block, b))),
                              image.Get(*FindParam(param::BandQ(block, b))),
                              static_cast<int16_t>(image.Get(*FindParam(param::BandGain(block, b))))};
        return out;
    }
    // The two errors the result line gives, now and with the bands.
    static std::pair<double, double> Errors(const QString& text) {
        const QRegularExpressionMatch m =
            QRegularExpression(R"(: ([\d.]+) dB now, ([\d.]+) dB with these bands)").match(text);
        EXPECT_TRUE(m.hasMatch()) << text.toStdString();
        return {m.captured(1).toDouble(), m.captured(2).toDouble()};
    }
};

TEST_F(FitWindowsTest, AutoEqNeedsAMeasurement) {
    EXPECT_FALSE(Panel<QPushButton>("btnAutoEq")->isEnabled());
    LoadMeasurement();
    EXPECT_TRUE(Panel<QPushButton>("btnAutoEq")->isEnabled());
    Click(Panel<QPushButton>("btnClear"));
    EXPECT_FALSE(Panel<QPushButton>("btnAutoEq")->isEnabled());
}

TEST_F(FitWindowsTest, PreviewThenApplyIsOneStepThatUndoes) {
    Click(Ctl<SkCheckButton>(1501));  // PEQ: the fit places the bands
    ASSERT_TRUE(Main().PeqMode());
    LoadMeasurement();
    const EffectBlock before = Pc();
    analysis::AutoEqResult shown;
    InPanelDialog("btnAutoEq", [&](QWidget* dialog) {
        EXPECT_EQ(Named<QLabel>(dialog, "channel")->text(), "CH2");
        EXPECT_EQ(Named<QLabel>(dialog, "mode")->text(), "PEQ mode: frequency, gain and Q move.");
        const struct {
            const char* field;
            const char* value;
        } defaults[] = {{"rangeLow", ""}, {"rangeHigh", ""}, {"maxBoost", "6"}, {"bands", "31"}};
        for (const auto& d : defaults)
            EXPECT_EQ(Named<QLineEdit>(dialog, d.field)->text(), d.value) << d.field;
        EXPECT_EQ(Named<QLineEdit>(dialog, "rangeLow")->placeholderText(), "auto");
        EXPECT_FALSE(Named<QCheckBox>(dialog, "applyLevel")->isChecked()) << "the level is only suggested";
        EXPECT_EQ(Named<QLabel>(dialog, "measuredWith")->text(), "Measured as the speaker alone")
            << "as the measurement panel has it";
        ASSERT_TRUE(Fitted(dialog));
        EXPECT_FALSE(Named<QProgressBar>(dialog, "progress")->isVisible());
        const QString result = Named<QLabel>(dialog, "result")->text();
        const auto [now, after] = Errors(result);
        EXPECT_GT(now, 1.0) << "the car is far from flat before";
        EXPECT_LT(after, 1.0);
        // The preview: measured, target and the prediction with the bands.
        const auto* preview = dialog->findChild<widgets::ResponsePreview*>();
        ASSERT_NE(preview, nullptr);
        ASSERT_EQ(preview->Curves().size(), 3u);
        EXPECT_EQ(preview->Curves()[2].role, EqOverlayRole::Predicted);
        EXPECT_EQ(preview->Curves()[2].name, "With Auto EQ");
        EXPECT_EQ(Pc(), before) << "nothing changes before Apply";
        shown = *static_cast<AutoEqDialog*>(dialog)->Proposal();
        Click(Named<QPushButton>(dialog, "btnApply"));
    });
    EXPECT_EQ(Bands(Pc(), kCh2), shown.bands);
    EXPECT_EQ(Bands(SentBox(), kCh2), shown.bands) << "the box holds what was applied";
    int moved = 0;
    for (const analysis::BandValues& b : shown.bands) {
        EXPECT_LE(b.gain, 600) << "at most the default 6 dB boost";
        if (b.gain == 0) continue;
        EXPECT_GE(b.freq, shown.fitted.lowHz);
        EXPECT_LE(b.freq, shown.fitted.highHz);
        moved += 1;
    }
    EXPECT_GT(moved, 3);
    EXPECT_EQ(Main().findChild<QPushButton*>("btn_undo")->toolTip(), "Undo: Auto EQ CH2");

    Key(&Main(), Qt::Key_Z);
    EXPECT_EQ(Bands(Pc(), kCh2), Bands(before, kCh2)) << "one undo takes back every band";
    EXPECT_EQ(Bands(SentBox(), kCh2), Bands(before, kCh2));
    Key(&Main(), Qt::Key_Y);
    EXPECT_EQ(Bands(Pc(), kCh2), shown.bands);
}

// The dialog says which range and level it chose and suggests a level
// trim; ticking "Apply level" sends it to the channel's volume with the
// bands, as one step.
TEST_F(FitWindowsTest, TheLevelTrimIsShownAndAppliedOnlyWhenTicked) {
    Click(Ctl<SkCheckButton>(1501));  // PEQ
    LoadMeasurement();
    int compensated = -1;  // the volume after the bands alone, their gain compensation done
    for (const bool tick : {false, true}) {
        const int volumeBefore = Pc().Get(*FindParam(param::Volume(kCh2)));
        analysis::AutoEqResult shown;
        InPanelDialog("btnAutoEq", [&](QWidget* dialog) {
            ASSERT_TRUE(Fitted(dialog));
            shown = *static_cast<AutoEqDialog*>(dialog)->Proposal();
            const QString chosen = Named<QLabel>(dialog, "chosen")->text();
            const QString expected =
                QString(
                    "Range %1..%2 Hz: from the speaker's own roll-off to the speaker's own "
                    "roll-off. Level set over %3..%4 Hz. Suggested level trim %5 dB "
                    "(volume step %6), against its level over 200..2000 Hz.")
                    .arg(std::lround(shown.fitted.lowHz))
                    .arg(std::lround(shown.fitted.highHz))
                    .arg(std::lround(shown.reference.lowHz))
                    .arg(std::lround(shown.reference.highHz))
                    .arg(shown.levelDb, 0, 'f', 1)
                    .arg(std::lround(shown.levelDb));
            EXPECT_EQ(chosen, expected);
            // The preview shows the channel as it will play: with its crossovers.
            const auto* preview = dialog->findChild<widgets::ResponsePreview*>();
            ASSERT_EQ(preview->Curves().size(), 3u);
            EXPECT_EQ(preview->Curves()[0].name, "Measured, with the crossovers");
            EXPECT_EQ(preview->Curves()[1].name, "Target, with the crossovers");
            auto* box = Named<QCheckBox>(dialog, "applyLevel");
            EXPECT_FALSE(box->isChecked());
            if (tick) Click(box);
            EXPECT_EQ(static_cast<AutoEqDialog*>(dialog)->LevelTrimToApply().has_value(), tick);
            Click(Named<QPushButton>(dialog, "btnApply"));
        });
        // What the bands' gain compensation alone does, and the trim on top.
        const int volume = Pc().Get(*FindParam(param::Volume(kCh2)));
        EXPECT_EQ(Bands(SentBox(), kCh2), shown.bands);
        EXPECT_EQ(SentBox().Get(*FindParam(param::Volume(kCh2))), volume) << "the box holds it";
        if (!tick)
            compensated = volume;
        else
            EXPECT_EQ(volume, std::clamp(compensated + int(std::lround(shown.levelDb)), 0, 66));
        Key(&Main(), Qt::Key_Z);
        EXPECT_EQ(Pc().Get(*FindParam(param::Volume(kCh2))), volumeBefore)
            << "one undo takes the level back too";
    }
}

TEST_F(FitWindowsTest, TheLinkedChannelTakesTheBandsToo) {
    Click(Ctl<SkCheckButton>(1100 + kCh2));  // link CH2, then CH3 with it
    Click(Ctl<SkCheckButton>(1100 + kCh3));
    ASSERT_EQ(Db().SelectedChannel(), kCh2);
    LoadMeasurement();
    const EffectBlock before = Pc();
    analysis::AutoEqResult shown;
    InPanelDialog("btnAutoEq", [&](QWidget* dialog) {
        ASSERT_TRUE(Fitted(dialog));
        shown = *static_cast<AutoEqDialog*>(dialog)->Proposal();
        Click(Named<QPushButton>(dialog, "btnApply"));
    });
    EXPECT_EQ(Bands(SentBox(), kCh2), shown.bands);
    EXPECT_EQ(Bands(SentBox(), kCh3), shown.bands);
    Key(&Main(), Qt::Key_Z);
    EXPECT_EQ(Bands(Pc(), kCh3), Bands(before, kCh3)) << "the one undo takes both back";
    EXPECT_EQ(Bands(Pc(), kCh2), Bands(before, kCh2));
}

TEST_F(FitWindowsTest, DiscardAndCloseChangeNothing) {
    LoadMeasurement();
    const EffectBlock before = Pc();
    for (const char* how : {"btnDiscard", "escape", "btn_close"}) {
        InPanelDialog("btnAutoEq", [&](QWidget* dialog) {
            ASSERT_TRUE(Fitted(dialog));
            if (std::string(how) == "escape")
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                Click(Named<QPushButton>(dialog, how));
            EXPECT_FALSE(dialog->isVisible()) << how;
        });
        EXPECT_EQ(Pc(), before) << how;
        EXPECT_FALSE(app->Session().CanUndo()) << how;
    }
}

TEST_F(FitWindowsTest, FieldsRefitAndBadValuesAreRefused) {
    LoadMeasurement();  // GEQ mode, as the program starts
    const EffectBlock before = Pc();
    analysis::AutoEqResult shown;
    InPanelDialog("btnAutoEq", [&](QWidget* dialog) {
        EXPECT_EQ(Named<QLabel>(dialog, "mode")->text(), "GEQ mode: only the gains move.");
        ASSERT_TRUE(Fitted(dialog));
        // A range typed end by end: nothing happens till both are there.
        Type(Named<QLineEdit>(dialog, "rangeLow"), "40");
        EXPECT_TRUE(prompter.messages.empty());
        Type(Named<QLineEdit>(dialog, "rangeHigh"), "16000");
        ASSERT_TRUE(Fitted(dialog));
        EXPECT_NE(
            Named<QLabel>(dialog, "chosen")->text().indexOf("Range 40..16000 Hz: from as typed to as typed."),
            -1)
            << Named<QLabel>(dialog, "chosen")->text().toStdString();
        const struct {
            const char* field;
            const char* typed;
            const char* message;
        } refused[] = {
            {"rangeLow", "16000",
             "The fit range takes two frequencies from 20 to 20000 Hz, the lower one first, or none for the "
             "channel's "
             "own band."},
            {"rangeHigh", "30000",
             "The fit range takes two frequencies from 20 to 20000 Hz, the lower one first, or none for the "
             "channel's "
             "own band."},
            {"rangeLow", "abc",
             "The fit range takes two frequencies from 20 to 20000 Hz, the lower one first, or none for the "
             "channel's "
             "own band."},
            {"maxBoost", "-1", "The maximum boost takes 0 to 20 dB."},
            {"maxBoost", "21", "The maximum boost takes 0 to 20 dB."},
            {"bands", "0", "The number of bands takes 1 to 31."},
            {"bands", "2.5", "The number of bands takes 1 to 31."},
        };
        for (const auto& r : refused) {
            auto* field = Named<QLineEdit>(dialog, r.field);
            const QString kept = field->text();
            Type(field, r.typed);
            ASSERT_EQ(prompter.messages.size(), 1u) << r.field << " " << r.typed;
            EXPECT_EQ(prompter.messages[0].text, r.message);
            prompter.messages.clear();
            EXPECT_EQ(field->text(), kept) << "the value in use shows again";
            EXPECT_TRUE(dialog->isVisible());
            EXPECT_TRUE(Named<QPushButton>(dialog, "btnApply")->isEnabled()) << "the preview still holds";
        }
        // Accepted values fit again; Enter commits a field without closing.
        TypeAndEnter(Named<QLineEdit>(dialog, "maxBoost"), "2");
        EXPECT_TRUE(dialog->isVisible());
        Type(Named<QLineEdit>(dialog, "bands"), "5");
        Type(Named<QLineEdit>(dialog, "rangeLow"), "100");
        ASSERT_TRUE(Fitted(dialog));
        EXPECT_TRUE(prompter.messages.empty());
        EXPECT_NE(Named<QLabel>(dialog, "result")->text().indexOf("from 100 to 16000 Hz"), -1)
            << Named<QLabel>(dialog, "result")->text().toStdString();
        shown = *static_cast<AutoEqDialog*>(dialog)->Proposal();
        Click(Named<QPushButton>(dialog, "btnApply"));
    });
    const auto applied = Bands(Pc(), kCh2), old = Bands(before, kCh2);
    int moved = 0;
    for (int b = 0; b < kBandCount; ++b) {
        const auto& a = applied[size_t(b)];
        EXPECT_EQ(a.freq, old[size_t(b)].freq) << "GEQ keeps band " << b << "'s frequency";
        EXPECT_EQ(a.q, old[size_t(b)].q) << "GEQ keeps band " << b << "'s Q";
        EXPECT_LE(a.gain, 200) << "band " << b;
        if (a.gain != 0) {
            ++moved;
            EXPECT_GE(a.freq, 100) << "no band moves outside the range";
        }
    }
    EXPECT_GT(moved, 0);
    EXPECT_LE(moved, 5);
    EXPECT_EQ(applied, shown.bands);
}

// A target file over part of the fit range, and a measurement over a fifth
// of an octave: the dialog fits what both cover and says so, or says why it
// cannot; the panel says over what the level was set.
// A curve a measuring program has from fromHz to toHz only, at one level.
QByteArray PartialCurve(double fromHz, double toHz, int points, double db) {
    QByteArray text = "* Freq(Hz) SPL(dB)\n";
    for (int k = 0; k < points; ++k)
        text += QString("%1 %2\n").arg(fromHz * std::pow(toHz / fromHz, k / (points - 1.0))).arg(db).toUtf8();
    return text;
}

// The panel's word on the range the level was set over.
QString LevelledOver(const char* range) {
    return QString(
               "The measurement's level is set over %1 Hz only, as much of the reference range as it and the "
               "target cover.")
        .arg(range);
}

TEST_F(FitWindowsTest, AutoEqKeepsToWhatTheMeasurementAndTheTargetCover) {
    Click(Ctl<SkCheckButton>(1501));  // PEQ: the fit places the bands
    LoadMeasurement();
    files.openPaths = {Write("mid-target.txt", PartialCurve(500, 2000, 25, 0))};
    Click(Panel<QPushButton>("btnTargetFile"));
    QTest::qWait(20);
    EXPECT_EQ(Panel<QLabel>("status")->text(), LevelledOver("500..2000"));
    analysis::AutoEqResult shown;
    InPanelDialog("btnAutoEq", [&](QWidget* dialog) {
        ASSERT_TRUE(Fitted(dialog));
        Type(Named<QLineEdit>(dialog, "rangeLow"), "40");
        Type(Named<QLineEdit>(dialog, "rangeHigh"), "16000");
        ASSERT_TRUE(Fitted(dialog));
        const QString result = Named<QLabel>(dialog, "result")->text();
        EXPECT_TRUE(
            result.startsWith("Only 500..2000 Hz of the fit range is fitted: the measurement covers 20.."))
            << result.toStdString();
        EXPECT_TRUE(result.contains(" and the target 500..2000 Hz. ")) << result.toStdString();
        EXPECT_TRUE(result.contains("from 500 to 2000 Hz")) << result.toStdString();
        EXPECT_FALSE(result.contains("nan", Qt::CaseInsensitive)) << result.toStdString();
        shown = *static_cast<AutoEqDialog*>(dialog)->Proposal();
        int withGain = 0;
        for (const analysis::BandValues& b : shown.bands) withGain += b.gain != 0;
        EXPECT_TRUE(result.contains(QString(" %1 of 31 bands used.").arg(withGain))) << result.toStdString();
        Click(Named<QPushButton>(dialog, "btnApply"));
    });
    for (const analysis::BandValues& b : Bands(SentBox(), kCh2)) {
        if (b.gain == 0) continue;
        EXPECT_GE(b.freq, 500);
        EXPECT_LE(b.freq, 2000);
    }
    EXPECT_EQ(Bands(SentBox(), kCh2), shown.bands);

    files.openPaths = {Write("narrow.txt", PartialCurve(900, 1100, 11, 80))};
    Click(Panel<QPushButton>("btnLoad"));
    QTest::qWait(20);
    EXPECT_EQ(Panel<QLabel>("status")->text(), LevelledOver("900..1100"));
    const EffectBlock before = Pc();
    InPanelDialog("btnAutoEq", [&](QWidget* dialog) {
        auto* result = Named<QLabel>(dialog, "result");
        ASSERT_TRUE(WaitFor([&] { return result->text() != "Fitting..."; }, 60000));
        EXPECT_EQ(result->text(),
                  "The measurement covers 900..1100 Hz and the target 500..2000 Hz: they share less "
                  "than an octave of the fit range, too little to fit.");
        EXPECT_FALSE(Named<QPushButton>(dialog, "btnApply")->isEnabled());
        Click(Named<QPushButton>(dialog, "btnApply"));
        EXPECT_TRUE(dialog->isVisible());
    });
    EXPECT_EQ(Pc(), before);
}

// A file that is no impulse response stays in its row, which says why, and
// keeps Apply off until it is cleared.
TEST_F(FitWindowsTest, AFileThatIsNoImpulseResponseKeepsApplyOff) {
    namespace syn = analysis::synthetic;
    std::mt19937 random(3);
    std::normal_distribution<double> gauss(0, 0.2);
    std::vector<double> noise(48000);
    for (double& v : noise) v = gauss(random);
    auto response = [&](double startMs) {
        syn::Room room;
        room.arrivalS = startMs / 1000;
        room.snrDb = 45;
        return syn::Wav(syn::Render(syn::LowPassPulse(8000), room, 48000), 48000, SF_FORMAT_PCM_16);
    };
    InPanelDialog("btnAlign", [&](QWidget* dialog) {
        const struct {
            int row;
            std::string wav;
        } rows[] = {{1, response(3)}, {2, syn::Wav(noise, 48000, SF_FORMAT_FLOAT)}, {5, response(6)}};
        for (const auto& r : rows) {
            const QString n = QString::number(r.row);
            files.openPaths = {Write("ch" + n + ".wav", QByteArray::fromStdString(r.wav))};
            Click(Named<QPushButton>(dialog, ("choose" + n).toLatin1().constData()));
        }
        EXPECT_TRUE(prompter.messages.empty()) << "the row says it, not a message";
        EXPECT_EQ(Named<QLabel>(dialog, "path2")->text(), "ch2.wav");
        EXPECT_EQ(Named<QLabel>(dialog, "arrival2")->text(), "no clear peak");
        EXPECT_EQ(Named<QLabel>(dialog, "delay2")->text(), "");
        EXPECT_EQ(
            Named<QLabel>(dialog, "status")->text(),
            "CH2: ch2.wav does not look like an impulse response. No peak stands 20 dB clear of the rest; it "
            "looks like noise, music, a sweep or DC. Clear it or choose another file.");
        EXPECT_FALSE(Named<QPushButton>(dialog, "btnApply")->isEnabled());
        EXPECT_TRUE(static_cast<AlignDialog*>(dialog)->Delays().empty());
        Click(Named<QPushButton>(dialog, "clear2"));
        EXPECT_EQ(Named<QLabel>(dialog, "arrival2")->text(), "");
        EXPECT_TRUE(Named<QPushButton>(dialog, "btnApply")->isEnabled());
        EXPECT_EQ(static_cast<AlignDialog*>(dialog)->Delays().size(), 2u);
    });
}

TEST_F(FitWindowsTest, DelaysFromImpulseResponsesApplyAsOneStep) {
    namespace syn = analysis::synthetic;
    const syn::Shape pulse = syn::LowPassPulse(8000);
    auto response = [&](double startMs, double amplitude) {
        syn::Room room;
        room.arrivalS = startMs / 1000;
        room.amplitude = amplitude;
        room.reflectionDelayS = 0.002;
        room.reflectionGain = 0.6;
        room.snrDb = 45;
        return syn::Wav(syn::Render(pulse, room, 48000), 48000, SF_FORMAT_PCM_16);
    };
    const double halfRiseMs = syn::HalfRise(pulse) * 1000;
    // CH1 (block 2) 3 ms, CH2 (block 3) 4.5 ms and inverted, CH5 (block 0)
    // 6 ms: CH5 is latest and gets 0; the others wait 144 and 72 steps.
    const struct {
        int row;
        double startMs, amplitude;
        int block, raw;
    } rows[] = {{1, 3.0, 0.5, 2, 144}, {2, 4.5, -0.5, 3, 72}, {5, 6.0, 0.4, 0, 0}};
    const EffectBlock before = Pc();
    InPanelDialog("btnAlign", [&](QWidget* dialog) {
        auto* status = Named<QLabel>(dialog, "status");
        EXPECT_EQ(status->text(), "Choose the impulse responses of at least two channels.");
        EXPECT_FALSE(Named<QPushButton>(dialog, "btnApply")->isEnabled());

        // Not a sound file, and a FIFO (handed to the sound library it would
        // wait for a writer for ever): told, and the row stays empty.
        const std::pair<QString, QString> refused[] = {
            {Write("broken.wav", "RIFF....not a wave"), "It is not a sound file this program can read."},
            {Place("fifo.wav", NotAFile::Fifo), "It is not a regular file (a FIFO)."}};
        for (const auto& [file, told] : refused) {
            files.openPaths = {file};
            Click(Named<QPushButton>(dialog, "choose3"));
            ASSERT_EQ(prompter.messages.size(), 1u);
            EXPECT_TRUE(prompter.messages[0].text.endsWith(told)) << prompter.messages[0].text.toStdString();
            prompter.messages.clear();
            EXPECT_EQ(Named<QLabel>(dialog, "path3")->text(), "(none)");
        }

        for (const auto& r : rows) {
            const QString n = QString::number(r.row);
            files.openPaths = {
                Write("ch" + n + ".wav", QByteArray::fromStdString(response(r.startMs, r.amplitude)))};
            Click(Named<QPushButton>(dialog, ("choose" + n).toLatin1().constData()));
            EXPECT_TRUE(prompter.messages.empty());
            EXPECT_EQ(Named<QLabel>(dialog, ("path" + n).toLatin1().constData())->text(), "ch" + n + ".wav");
        }
        for (const auto& r : rows) {
            const QString n = QString::number(r.row);
            const double arrival =
                Named<QLabel>(dialog, ("arrival" + n).toLatin1().constData())->text().toDouble();
            EXPECT_NEAR(arrival, r.startMs + halfRiseMs, 1.0 / 48) << "CH" << r.row;
            EXPECT_EQ(Named<QLabel>(dialog, ("delay" + n).toLatin1().constData())->text(),
                      QString::number(r.raw / 48.0, 'f', 3));
            EXPECT_EQ(Named<QLabel>(dialog, ("polarity" + n).toLatin1().constData())->text(),
                      r.amplitude < 0 ? "inverted?" : "");
        }
        EXPECT_TRUE(Named<QPushButton>(dialog, "btnApply")->isEnabled());

        // A response 25 ms later than the earliest: beyond what the box delays.
        files.openPaths = {Write("late.wav", QByteArray::fromStdString(response(28.0, 0.5)))};
        Click(Named<QPushButton>(dialog, "choose4"));
        EXPECT_TRUE(status->text().startsWith("The arrivals lie 25.000 ms apart"))
            << status->text().toStdString();
        EXPECT_FALSE(Named<QPushButton>(dialog, "btnApply")->isEnabled());
        EXPECT_EQ(Named<QLabel>(dialog, "delay1")->text(), "");
        Click(Named<QPushButton>(dialog, "clear4"));
        ASSERT_TRUE(Named<QPushButton>(dialog, "btnApply")->isEnabled());
        Click(Named<QPushButton>(dialog, "btnApply"));
    });
    for (const auto& r : rows) {
        EXPECT_EQ(Param(param::Delay(r.block)), r.raw) << "CH" << r.row;
        EXPECT_EQ(SentBox().Get(*FindParam(param::Delay(r.block))), r.raw) << "CH" << r.row;
        EXPECT_EQ(Ctl<QWidget>(4100 + r.block)->property("text").toString(),
                  QString::number(r.raw / 48.0, 'f', 3))
            << "the delay field shows it";
    }
    for (const int block : {1, 4, 5})
        EXPECT_EQ(Param(param::Delay(block)), before.Get(*FindParam(param::Delay(block))))
            << "a channel without a response keeps its delay";
    EXPECT_EQ(Main().findChild<QPushButton*>("btn_undo")->toolTip(), "Undo: Delays from impulse responses");
    Key(&Main(), Qt::Key_Z);
    EXPECT_EQ(Pc(), before) << "one undo takes back every delay";
}

}  // namespace
}  // namespace caraudio::app::test
