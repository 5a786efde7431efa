// "Measure..." from the measurement panel as an installer uses it, with the
// emulated box and its built-in car: every channel measured into the
// editor, and the box left as the user had it however the measurement
// ends: done, cancelled, the box or the microphone unplugged mid-way. Each
// measured response is judged against the car's own speakers behind the
// box's crossovers, computed here from textbook filters.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>

#include "AppRig.h"
#include "AudioSystem.h"
#include "BoxSettings.h"
#include "ChannelCurves.h"
#include "MeasureDialog.h"
#include "MeasurementDialog.h"
#include "MeasurementIndex.h"
#include "MonoWav.h"
#include "ParameterTable.h"
#include "ResponsePreview.h"
#include "TextbookCrossover.h"
#include "TextbookDft.h"
#include "VirtualCar.h"
#include "WholeCar.h"

namespace caraudio::app::test {
namespace {

using namespace caraudio::test::whole;

// The installer's crossovers on the built-in car: tweeters above 3.5 kHz,
// door mids 70 Hz..3.5 kHz, subs below 70 Hz with a subsonic 45 Hz filter,
// Linkwitz 24 dB/oct; and the user's own mutes and mixer: CH6 muted, CH2
// on the head unit's right channel.
EffectBlock InstallersImage(EffectBlock image) {
    for (const int ch : {1, 2}) SetPass(image, BlockOfChannel(ch), true, {2, 24, 3500});
    for (const int ch : {3, 4}) {
        SetPass(image, BlockOfChannel(ch), true, {2, 24, 70});
        SetPass(image, BlockOfChannel(ch), false, {2, 24, 3500});
    }
    for (const int ch : {5, 6}) {
        SetPass(image, BlockOfChannel(ch), true, {2, 24, 45});
        SetPass(image, BlockOfChannel(ch), false, {2, 24, 70});
    }
    image.Set(*FindParam(param::MuteCtrl), static_cast<uint16_t>(1 << BlockOfChannel(6)));
    image.Set(*FindParam(param::Input(BlockOfChannel(2), 0)), 0);
    image.Set(*FindParam(param::Input(BlockOfChannel(2), 1)), 100);
    return image;
}

// The worst difference in dB, at 1/6-octave points over the channel's band,
// between a measured response and the car's speaker behind the crossovers,
// once their levels are set equal (the box's main volume is the same for
// all and says nothing of the shape).
double WorstShapeDb(const std::vector<double>& measured, const std::vector<double>& speaker, double highHz,
                    double lowHz) {
    std::vector<double> hz, truth, got;
    for (double f = 20; f < 20000; f *= std::pow(2.0, 1.0 / 6)) {
        hz.push_back(f);
        truth.push_back(
            20 * std::log10(std::abs(caraudio::test::Dtft(speaker, 48000, f))) +
            caraudio::test::PassDb(caraudio::test::PassKind::LinkwitzRiley, true, 4, highHz, f) +
            (lowHz > 0 ? caraudio::test::PassDb(caraudio::test::PassKind::LinkwitzRiley, false, 4, lowHz, f)
                       : 0));
        got.push_back(20 * std::log10(std::abs(caraudio::test::Dtft(measured, 48000, f))));
    }
    // The channel's band: between its crossovers, where the analog filters
    // are the box's digital ones to a few hundredths of a dB.
    auto inBand = [&](size_t i) { return hz[i] >= highHz && hz[i] <= (lowHz > 0 ? lowHz : 20000); };
    double offset = 0;
    int n = 0;
    for (size_t i = 0; i < hz.size(); ++i)
        if (inBand(i)) offset += truth[i] - got[i], ++n;
    offset /= std::max(n, 1);
    double worst = 0;
    for (size_t i = 0; i < hz.size(); ++i)
        if (inBand(i)) worst = std::max(worst, std::fabs(got[i] + offset - truth[i]));
    return worst;
}

// The emulated devices as they are, but the take numbered `failAt` (from
// 1, the quiet test the first) finds its device gone, as when the USB
// microphone is pulled; and a second microphone that comes and goes.
class FlakyAudio final : public audio::AudioSystem {
public:
    explicit FlakyAudio(audio::AudioSystem& real) : real_(real) {}
    std::vector<audio::AudioDevice> Outputs() override { return real_.Outputs(); }
    std::vector<audio::AudioDevice> Inputs() override {
        std::vector<audio::AudioDevice> inputs = real_.Inputs();
        if (usbPlugged) inputs.push_back({"usb-mic", "USB measurement microphone", 1});
        return inputs;
    }
    audio::PlayRecordResult PlayAndRecord(const audio::PlayRecordRequest& request,
                                          const std::atomic<bool>& cancel) override {
        if (++takes_ == failAt) {
            audio::PlayRecordResult gone;
            gone.status = audio::AudioStatus::DeviceLost;
            gone.message = "the input was unplugged";
            return gone;
        }
        return real_.PlayAndRecord(request, cancel);
    }
    int failAt = 0;
    std::atomic<bool> usbPlugged{false};

private:
    audio::AudioSystem& real_;
    std::atomic<int> takes_{0};
};

class MeasureWindowTest : public AppRig {
protected:
    void SetUp() override {
        Start();
        app->Language().Use(kEnglish);
        FileMenu("Measurement...");
        Settle();
        ASSERT_NE(Main().MeasurementPanel(), nullptr);
        const EffectBlock image = InstallersImage(Pc());
        for (const ParamRecord& p : Parameters())
            if (Pc().Get(p) != image.Get(p)) Db().SetParam(p.index, image.Get(p));
        users = SentBox();
        ASSERT_EQ(users, image);
        FollowInEditor();
    }
    // The editor's curves follow the image, as after edits in the window.
    void FollowInEditor() {
        for (int block = 0; block < kChannelCount; ++block)
            app->Services().curves.RebuildChannel(block, Pc());
    }
    template <typename T>
    static T* Named(QWidget* dialog, const QString& name) {
        T* w = dialog->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    // Measure channels pressed; waits until the measurement has ended.
    bool MeasureAndWait(QWidget* dialog) {
        auto* measure = static_cast<MeasureDialog*>(dialog);
        Click(Named<QPushButton>(dialog, "btnMeasure"));
        return WaitFor([&] { return !measure->Measuring(); }, 60000);
    }
    QString Status(QWidget* dialog) { return Named<QLabel>(dialog, "status")->text(); }
    EffectBlock users;
};

TEST_F(MeasureWindowTest, MeasuresEveryChannelIntoTheEditorAndLeavesTheBoxAsItWas) {
    const QString undoBefore = Main().findChild<QPushButton*>("btn_undo")->toolTip();
    QString folder;
    InPanelDialog("btnMeasure", [&](QWidget* dialog) {
        EXPECT_EQ(Named<QComboBox>(dialog, "reference")->currentText(), "Loopback on input 2");
        for (int n = 1; n <= 6; ++n)
            EXPECT_TRUE(Named<QCheckBox>(dialog, "measure" + QString::number(n))->isChecked());
        ASSERT_TRUE(MeasureAndWait(dialog));
        EXPECT_TRUE(Status(dialog).startsWith("6 channels measured at ")) << Status(dialog).toStdString();
        EXPECT_TRUE(Status(dialog).contains("Timing: Loopback on input 2.")) << Status(dialog).toStdString();
        for (int n = 1; n <= 6; ++n) {
            const QString result = Named<QLabel>(dialog, "result" + QString::number(n))->text();
            EXPECT_TRUE(QRegularExpression(R"(^SNR \d+ dB, arrival -?[\d.]+ ms$)").match(result).hasMatch())
                << n << ": " << result.toStdString();
            EXPECT_EQ(Named<QProgressBar>(dialog, "progress" + QString::number(n))->value(), 100);
        }
        EXPECT_EQ(Named<QProgressBar>(dialog, "progressAll")->value(), 100);
        EXPECT_TRUE(Named<QPushButton>(dialog, "btnMeasureAgain")->isEnabled());
        folder = static_cast<MeasureDialog*>(dialog)->Folder();
        Click(Named<QPushButton>(dialog, "btnClose"));
    });
    EXPECT_TRUE(prompter.messages.empty()) << prompter.messages.front().text.toStdString();
    EXPECT_EQ(Pc(), users) << "mutes, mixer and everything else as the user had them";
    EXPECT_EQ(SentBox(), users);
    EXPECT_EQ(Main().findChild<QPushButton*>("btn_undo")->toolTip(), undoBefore) << "measuring is no edit";

    // Each channel's response is its speaker behind its crossovers, and is in
    // the editor and the sum.
    const emulator::VirtualCar car = emulator::DefaultCar();
    const struct {
        int channel;
        double highHz, lowHz;
    } bands[] = {{1, 3500, 0}, {2, 3500, 0}, {3, 70, 3500}, {4, 70, 3500}, {5, 45, 70}, {6, 45, 70}};
    for (const auto& b : bands) {
        const QString label = "CH" + QString::number(b.channel);
        const std::vector<double> measured =
            caraudio::test::ReadMonoWav(QDir(folder).filePath(label + ".wav").toStdString());
        ASSERT_EQ(measured.size(), 48000u) << b.channel;
        EXPECT_LT(WorstShapeDb(measured, car.responses[static_cast<size_t>(BlockOfChannel(b.channel))],
                               b.highHz, b.lowHz),
                  0.5)
            << label.toStdString();
        EXPECT_TRUE(
            Main().MeasurementPanel()->findChild<QCheckBox*>("sum" + QString::number(b.channel))->isEnabled())
            << label.toStdString();
    }
    QFile index(QDir(folder).filePath("measurement.ini"));
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    const std::optional<measure::MeasurementIndex> read =
        measure::ReadMeasurementIndex(index.readAll().toStdString());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->channels.size(), 6u);
    EXPECT_TRUE(folder.startsWith(QDir(data.path()).filePath("CarAudioHalvern/measurements")))
        << folder.toStdString();
}

TEST_F(MeasureWindowTest, CancelKeepsWhatWasMeasuredAndTheBox) {
    InPanelDialog("btnMeasure", [&](QWidget* dialog) {
        auto* measure = static_cast<MeasureDialog*>(dialog);
        QObject::connect(
            measure, &MeasureDialog::channelMeasured, measure,
            [&] { Click(Named<QPushButton>(dialog, "btnCancel")); }, Qt::SingleShotConnection);
        ASSERT_TRUE(MeasureAndWait(dialog));
        EXPECT_EQ(Status(dialog), "Cancelled. The box's mutes and mixer are as they were.");
        EXPECT_EQ(measure->Results().size(), 1u);
        Click(Named<QPushButton>(dialog, "btnClose"));
    });
    EXPECT_EQ(Pc(), users);
    EXPECT_EQ(SentBox(), users);
    EXPECT_TRUE(Main().MeasurementPanel()->findChild<QCheckBox*>("sum1")->isEnabled()) << "CH1 was measured";
    EXPECT_FALSE(Main().MeasurementPanel()->findChild<QCheckBox*>("sum2")->isEnabled());
}

TEST_F(MeasureWindowTest, BoxUnpluggedMidWayStopsAndKeepsTheUsersSettings) {
    InPanelDialog("btnMeasure", [&](QWidget* dialog) {
        auto* measure = static_cast<MeasureDialog*>(dialog);
        QObject::connect(
            measure, &MeasureDialog::channelMeasured, measure, [&] { Box().Unplug(); },
            Qt::SingleShotConnection);
        ASSERT_TRUE(MeasureAndWait(dialog));
        EXPECT_TRUE(Status(dialog).startsWith("The box did not take CH2's solo"))
            << Status(dialog).toStdString();
        Click(Named<QPushButton>(dialog, "btnClose"));
    });
    EXPECT_EQ(Pc(), users) << "the tuning the box gets back when it returns";
}

TEST_F(MeasureWindowTest, MicrophoneUnpluggedMidWaySaysSoAndLeavesTheBox) {
    FlakyAudio audio(*app->Audio());
    audio.failAt = 3;  // the quiet test, CH1, then CH2's take
    MeasureDialog dialog(&audio, Db(), files, prompter, QDir(data.path()).filePath("sessions"), &Main());
    dialog.show();
    ASSERT_TRUE(MeasureAndWait(&dialog));
    EXPECT_EQ(Status(&dialog),
              "CH2: the output or the microphone went away (the input was unplugged). Plug it in and measure "
              "again.");
    EXPECT_EQ(Pc(), users);
    EXPECT_EQ(SentBox(), users);

    // A USB microphone plugged in shows in the list of inputs.
    auto* inputs = Named<QComboBox>(&dialog, "input");
    EXPECT_EQ(inputs->findText("USB measurement microphone"), -1);
    audio.usbPlugged = true;
    EXPECT_TRUE(WaitFor([&] { return inputs->findText("USB measurement microphone") >= 0; }, 5000));
    // Chosen, it has one channel: only a chirp can time it.
    inputs->setCurrentIndex(inputs->findText("USB measurement microphone"));
    emit inputs->activated(inputs->currentIndex());
    EXPECT_TRUE(Named<QComboBox>(&dialog, "reference")->currentText().startsWith("Chirp through"));
    dialog.close();
}

TEST_F(MeasureWindowTest, ChannelWithoutAHighPassIsAskedAbout) {
    SetPass(users, BlockOfChannel(5), true, {2, 0, 0});
    SetPass(users, BlockOfChannel(6), true, {2, 0, 0});
    for (const ParamRecord& p : Parameters())
        if (Pc().Get(p) != users.Get(p)) Db().SetParam(p.index, users.Get(p));
    ASSERT_EQ(SentBox(), users);
    InPanelDialog("btnMeasure", [&](QWidget* dialog) {
        prompter.answer = Answer::No;
        Click(Named<QPushButton>(dialog, "btnMeasure"));
        ASSERT_EQ(prompter.messages.size(), 1u);
        EXPECT_EQ(
            prompter.messages[0].text,
            "CH5, CH6 without a high-pass: a tweeter swept without one can be destroyed. Sweep them anyway, "
            "as woofers or subs?");
        EXPECT_EQ(Status(dialog), "Nothing was measured.");
        EXPECT_FALSE(static_cast<MeasureDialog*>(dialog)->Measuring());
        Click(Named<QPushButton>(dialog, "btnClose"));
    });
    EXPECT_EQ(SentBox(), users);
}

// Three microphone positions: the user is asked to move it twice, each
// channel's curve is the positions' average and its response the first's;
// stopping at a position measures nothing and leaves the box.
TEST_F(MeasureWindowTest, PositionsAreAskedForInTurn) {
    InPanelDialog("btnMeasure", [&](QWidget* dialog) {
        auto* measure = static_cast<MeasureDialog*>(dialog);
        for (int n = 1; n <= 6; ++n)
            Named<QCheckBox>(dialog, "measure" + QString::number(n))->setChecked(n <= 2);
        Named<QComboBox>(dialog, "positions")->setCurrentIndex(2);
        prompter.answer = Answer::Yes;
        ASSERT_TRUE(MeasureAndWait(dialog));
        ASSERT_EQ(Texts(),
                  QStringList({"Move the microphone to position 2 of 3, a hand's width from the last, and "
                               "measure there?",
                               "Move the microphone to position 3 of 3, a hand's width from the last, and "
                               "measure there?"}));
        ASSERT_EQ(measure->Results().size(), 2u);
        EXPECT_EQ(Named<QProgressBar>(dialog, "progress1")->value(), 100);
        EXPECT_TRUE(Status(dialog).startsWith("2 channels measured")) << Status(dialog).toStdString();

        prompter.answer = Answer::No;
        ASSERT_TRUE(MeasureAndWait(dialog));
        EXPECT_EQ(Texts().size(), 1u);
        EXPECT_EQ(Status(dialog), "Cancelled. The box's mutes and mixer are as they were.");
        EXPECT_TRUE(measure->Results().empty());
        Click(Named<QPushButton>(dialog, "btnClose"));
    });
    EXPECT_EQ(SentBox(), users);
}

// A session measured earlier, opened again after the settings changed: its
// channels come back into the editor measured through the settings they
// were measured through, not today's. A folder without one is refused.
TEST_F(MeasureWindowTest, ASessionIsOpenedAgain) {
    QString folder;
    InPanelDialog("btnMeasure", [&](QWidget* dialog) {
        for (int n = 1; n <= 6; ++n)
            Named<QCheckBox>(dialog, "measure" + QString::number(n))->setChecked(n == 1 || n == 3);
        ASSERT_TRUE(MeasureAndWait(dialog));
        folder = static_cast<MeasureDialog*>(dialog)->Folder();
        Click(Named<QPushButton>(dialog, "btnClose"));
    });
    EffectBlock changed = Pc();
    caraudio::test::box::SetBand(changed, BlockOfChannel(3), 10, 1000, 1.4, 6);
    for (const ParamRecord& p : Parameters())
        if (Pc().Get(p) != changed.Get(p)) Db().SetParam(p.index, changed.Get(p));
    Main().MeasurementPanel()->findChild<QCheckBox*>("sum1")->setChecked(false);
    InPanelDialog("btnMeasure", [&](QWidget* dialog) {
        auto* measure = static_cast<MeasureDialog*>(dialog);
        files.openPaths = {QDir(data.path()).filePath("nothing/measurement.ini")};
        Click(Named<QPushButton>(dialog, "btnOpen"));
        EXPECT_TRUE(Status(dialog).endsWith("holds no measurement session this program can open."))
            << Status(dialog).toStdString();
        files.openPaths = {QDir(folder).filePath("measurement.ini")};
        Click(Named<QPushButton>(dialog, "btnOpen"));
        EXPECT_TRUE(Status(dialog).contains(": 2 channels, timing loopback on input 2."))
            << Status(dialog).toStdString();
        ASSERT_EQ(measure->Results().size(), 2u);
        EXPECT_EQ(measure->MeasuredThrough(), users) << "the settings then, kept in the folder";
        EXPECT_FALSE(Named<QLabel>(dialog, "result3")->text().isEmpty());
        Click(Named<QPushButton>(dialog, "btnClose"));
    });
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_TRUE(Main().MeasurementPanel()->findChild<QCheckBox*>("sum3")->isEnabled());
    EXPECT_FALSE(Main().MeasurementPanel()->findChild<QCheckBox*>("sum2")->isEnabled());
}

// A band boosted after a measurement, as a tune does, then measured again:
// the new measurement shows beside what the first one predicts through the
// boost, and the two agree; the first measurement does not.
TEST_F(MeasureWindowTest, MeasureAgainShowsMeasuredBesidePredicted) {
    const int mid = BlockOfChannel(3);
    auto measureMidOnly = [&](QWidget* dialog) {
        for (int n = 1; n <= 6; ++n)
            Named<QCheckBox>(dialog, "measure" + QString::number(n))->setChecked(n == 3);
        ASSERT_TRUE(MeasureAndWait(dialog));
        ASSERT_EQ(static_cast<MeasureDialog*>(dialog)->Results().size(), 1u);
    };
    Response first{};
    InPanelDialog("btnMeasure", [&](QWidget* dialog) {
        measureMidOnly(dialog);
        const auto& curves = dialog->findChild<widgets::ResponsePreview*>()->Curves();
        ASSERT_EQ(curves.size(), 1u) << "a first measurement has nothing to be compared with";
        first = curves[0].values;
        Click(Named<QPushButton>(dialog, "btnClose"));
    });
    EffectBlock boosted = Pc();
    caraudio::test::box::SetBand(boosted, mid, 10, 1000, 1.4, 6);
    for (const ParamRecord& p : Parameters())
        if (Pc().Get(p) != boosted.Get(p)) Db().SetParam(p.index, boosted.Get(p));
    FollowInEditor();
    InPanelDialog("btnMeasure", [&](QWidget* dialog) {
        measureMidOnly(dialog);
        const auto& curves = dialog->findChild<widgets::ResponsePreview*>()->Curves();
        ASSERT_EQ(curves.size(), 3u);
        EXPECT_EQ(curves[0].name, "CH3 measured");
        EXPECT_EQ(curves[1].role, widgets::EqOverlayRole::Predicted);
        EXPECT_EQ(curves[2].role, widgets::EqOverlayRole::Target);
        // The boost against 250 Hz, which it leaves alone, in each measurement.
        auto at = [](const Response& r, double hz) {
            const FrequencyGrid& grid = FrequencyGrid::Shared();
            int i = 0;
            while (i + 1 < FrequencyGrid::kPoints && grid.Hz(i) < hz) ++i;
            return r[static_cast<size_t>(i)];
        };
        const double boost =
            at(curves[0].values, 1000) - at(curves[0].values, 250) - (at(first, 1000) - at(first, 250));
        double worst = 0;
        for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
            const double hz = FrequencyGrid::Shared().Hz(i);
            if (hz < 100 || hz > 3000) continue;
            worst = std::max(worst, std::fabs(curves[0].values[static_cast<size_t>(i)] -
                                              curves[1].values[static_cast<size_t>(i)]));
        }
        EXPECT_LT(worst, 1.0) << "measured as predicted";
        EXPECT_GT(boost, 3) << "the boost is measured";
        Click(Named<QPushButton>(dialog, "btnClose"));
    });
}

// In Chinese every text of the window reads in Chinese, the layout's and
// those the window writes.
TEST_F(MeasureWindowTest, ReadsInChinese) {
    app->Language().Use(kChinese);
    InPanelDialog("btnMeasure", [&](QWidget* dialog) {
        EXPECT_EQ(Named<QPushButton>(dialog, "btnMeasure")->text(), "测量声道");
        EXPECT_EQ(Named<QLabel>(dialog, "lblReference")->text(), "计时");
        EXPECT_EQ(Named<QComboBox>(dialog, "reference")->currentText(), "输入 2 上的回环");
        EXPECT_EQ(Status(dialog), "每个勾选的声道在处理器上单独播放并扫频，经过其当前设置。");
        Click(Named<QPushButton>(dialog, "btnClose"));
    });
    EXPECT_EQ(Main().MeasurementPanel()->findChild<QPushButton*>("btnMeasure")->text(), "测量...");
}

}  // namespace
}  // namespace caraudio::app::test
