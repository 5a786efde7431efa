// "Tune car..." from the measurement panel as an installer uses it: six
// impulse responses of a synthetic car, the sum at the seat before and
// after, apply as one step, undo. The tune is judged by what the listener
// would hear, computed from the generated speakers.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

#include "AppRig.h"
#include "MeasurementDialog.h"
#include "ParameterTable.h"
#include "ResponsePreview.h"
#include "SMoveThumb.h"
#include "SkButtons.h"
#include "SkEQ.h"
#include "SyntheticImpulse.h"
#include "TuneCarDialog.h"
#include "WholeCar.h"
#include "WidgetInput.h"

namespace caraudio::app::test {
namespace {

using namespace caraudio::test::whole;
using widgets::EqOverlayRole;
using widgets::test::MoveTo;
using widgets::test::Press;
using widgets::test::Release;

class TuneCarWindowTest : public AppRig {
protected:
    void SetUp() override {
        Start();
        app->Language().Use(kEnglish);
        FileMenu("Measurement...");
        Settle();
        ASSERT_NE(Main().MeasurementPanel(), nullptr);
    }
    // The installer's crossovers, set as the main window would.
    void SetInstallersImage(const EffectBlock& image) {
        for (const ParamRecord& p : Parameters())
            if (Pc().Get(p) != image.Get(p)) Db().SetParam(p.index, image.Get(p));
        ASSERT_EQ(Pc(), image);
    }
    // Each channel's impulse response written as a WAV and chosen in its
    // row, as a user picks the files; each is taken.
    void ChooseResponses(QWidget* dialog, const std::vector<CarChannel>& car) {
        unsigned seed = 1;
        for (const CarChannel& c : car) {
            const QString n = QString::number(ChannelNumber(c.block));
            files.openPaths = {
                Write("ch" + n + ".wav", QByteArray::fromStdString(analysis::synthetic::Wav(
                                             Render(c.speaker, 0.5, seed++), 48000, SF_FORMAT_FLOAT)))};
            Click(Named<QPushButton>(dialog, "choose" + n));
            EXPECT_TRUE(prompter.messages.empty());
            EXPECT_EQ(Named<QLabel>(dialog, "path" + n)->text(), "ch" + n + ".wav");
        }
    }
    template <typename T>
    static T* Named(QWidget* dialog, const QString& name) {
        T* w = dialog->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
};

TEST_F(TuneCarWindowTest, TunesSixChannelsShowsTheSumAndUndoesInOneStep) {
    const std::vector<CarChannel> car = WholeCar(1);
    ASSERT_EQ(car.size(), 6u);
    SetInstallersImage(InstallersImage(car));
    const EffectBlock before = Pc();
    std::optional<EffectBlock> proposal;
    InPanelDialog("btnTuneCar", [&](QWidget* dialog) {
        auto* tune = Named<QPushButton>(dialog, "btnTune");
        auto* apply = Named<QPushButton>(dialog, "btnApply");
        auto* status = Named<QLabel>(dialog, "status");
        EXPECT_EQ(status->text(), "Choose the impulse responses of at least two channels.");
        EXPECT_FALSE(tune->isEnabled());
        EXPECT_FALSE(apply->isEnabled());
        ChooseResponses(dialog, car);
        ASSERT_TRUE(tune->isEnabled());
        Click(tune);
        auto* tuneDialog = static_cast<TuneCarDialog*>(dialog);
        ASSERT_TRUE(WaitFor([&] { return apply->isEnabled(); }, 60000)) << status->text().toStdString();
        const auto& curves = dialog->findChild<widgets::ResponsePreview*>()->Curves();
        ASSERT_EQ(curves.size(), 3u);
        EXPECT_EQ(curves[0].name, "Sum now");
        EXPECT_EQ(curves[2].name, "Sum tuned");
        const QRegularExpressionMatch m =
            QRegularExpression(R"(([\d.]+) dB RMS now, ([\d.]+) dB tuned)").match(status->text());
        ASSERT_TRUE(m.hasMatch()) << status->text().toStdString();
        EXPECT_LT(m.captured(2).toDouble(), m.captured(1).toDouble());
        EXPECT_TRUE(status->text().contains(" at ")) << "a crossover's losses are named";
        for (const CarChannel& c : car)
            EXPECT_FALSE(
                Named<QLabel>(dialog, "delay" + QString::number(ChannelNumber(c.block)))->text().isEmpty());
        proposal = tuneDialog->Proposal();

        // Another side for a channel: the tune shown no longer holds.
        auto* side = Named<QComboBox>(dialog, "side1");
        side->setCurrentIndex(1);
        emit side->activated(1);
        EXPECT_FALSE(apply->isEnabled());
        Click(tune);
        ASSERT_TRUE(WaitFor([&] { return apply->isEnabled(); }, 60000));
        proposal = tuneDialog->Proposal();
        Click(apply);
    });
    ASSERT_TRUE(proposal.has_value());
    EXPECT_EQ(Pc(), *proposal) << "the box takes exactly what was tuned";
    EXPECT_EQ(SentBox(), *proposal);
    const analysis::HouseCurve flat{0, 80, 0, 1000};
    EXPECT_LT(HeardRms(car, Pc(), flat), HeardRms(car, before, flat) - 2)
        << "the car sounds nearer the target";
    EXPECT_EQ(Main().findChild<QPushButton*>("btn_undo")->toolTip(), "Undo: Tune car");
    Key(&Main(), Qt::Key_Z);
    EXPECT_EQ(Pc(), before) << "one undo takes the whole tune back";
}

TEST_F(TuneCarWindowTest, CancelChangesNothing) {
    const std::vector<CarChannel> car = WholeCar(0);
    SetInstallersImage(InstallersImage(car));
    const EffectBlock before = Pc();
    InPanelDialog("btnTuneCar", [&](QWidget* dialog) {
        ChooseResponses(dialog, car);
        Click(Named<QPushButton>(dialog, "btnTune"));
        ASSERT_TRUE(WaitFor([&] { return Named<QPushButton>(dialog, "btnApply")->isEnabled(); }, 60000));
        Click(Named<QPushButton>(dialog, "btnCancel"));
    });
    EXPECT_EQ(Pc(), before);
}

// The responses loaded in the tune window stay: the panel's Sum boxes of
// the channels that have one draw their predicted sum on the editor, which
// is the tweeter and the mid as the test adds them up, and which follows a
// band dragged on the tweeter's channel.
TEST_F(TuneCarWindowTest, TheEditorDrawsTheSumOfTheChannelsTicked) {
    const std::vector<CarChannel> all = WholeCar(0);
    const std::vector<CarChannel> car{all[0], all[2]};  // CH1's tweeter and CH3's mid
    SetInstallersImage(InstallersImage(all));
    InPanelDialog("btnTuneCar", [&](QWidget* dialog) {
        ChooseResponses(dialog, car);
        Click(Named<QPushButton>(dialog, "btnCancel"));
    });
    QWidget* panel = Main().MeasurementPanel();
    auto box = [&](int n) { return Named<QCheckBox>(panel, "sum" + QString::number(n)); };
    EXPECT_TRUE(box(1)->isEnabled());
    EXPECT_TRUE(box(3)->isEnabled());
    EXPECT_FALSE(box(2)->isEnabled()) << "no response for CH2";
    auto sum = [&]() -> const widgets::EqOverlayCurve* {
        for (const auto& c : Main().Editor()->OverlayCurves())
            if (c.role == EqOverlayRole::Sum) return &c;
        return nullptr;
    };
    EXPECT_EQ(sum(), nullptr);
    Click(box(1));
    Click(box(3));
    ASSERT_NE(sum(), nullptr);
    EXPECT_EQ(sum()->name, "Sum CH1 + CH3");

    // The shape of what the two play together, from the speakers themselves.
    std::vector<double> hz, db;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        hz.push_back(caraudio::test::EditorGridHz(i));
        db.push_back(20 * std::log10(std::abs(HeardAt(car, Pc(), hz.back()))));
    }
    const std::vector<double> truth = caraudio::test::OctaveSmoothed(hz, db, 6);
    double offset = NAN;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        if (hz[size_t(i)] < 300 || hz[size_t(i)] > 10000) continue;
        const double gap = sum()->values[size_t(i)] - truth[size_t(i)];
        if (std::isnan(offset)) offset = gap;
        EXPECT_NEAR(gap, offset, 0.5) << hz[size_t(i)] << " Hz";
    }

    // A band of CH1 lifted by a drag: the sum follows at once.
    Click(Ctl<widgets::SkCheckButton>(1600 + 2));  // CH1's speaker on the car map
    ASSERT_EQ(Db().SelectedChannel(), 2);
    const widgets::EqOverlayCurve before = *sum();
    widgets::SMoveThumb* thumb = Main().Editor()->BandThumb(25);
    const QPoint grab = thumb->rect().center();
    Press(thumb, grab);
    MoveTo(thumb, grab + QPoint(0, -40));
    Release(thumb, grab + QPoint(0, -40));
    ASSERT_NE(static_cast<int16_t>(Param(param::BandGain(2, 25))), 0);
    EXPECT_FALSE(sum()->SameAs(before));
}

}  // namespace
}  // namespace caraudio::app::test
