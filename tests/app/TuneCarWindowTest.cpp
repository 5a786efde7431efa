// "Tune car..." from the measurement panel as an installer uses it: six
// impulse responses of a synthetic car, the sum at the seat before and
// after, apply as one step, undo. The tune is judged by what the listener
// would hear, computed from the generated speakers.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

#include "AppRig.h"
#include "MeasurementDialog.h"
#include "ParameterTable.h"
#include "ResponsePreview.h"
#include "SyntheticImpulse.h"
#include "TuneCarDialog.h"
#include "WholeCar.h"

namespace caraudio::app::test {
namespace {

using namespace caraudio::test::whole;

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
    // Clicks a panel button that opens a modal dialog and runs `act` on it.
    void InDialog(const char* button, const std::function<void(QWidget*)>& act) {
        bool seen = false;
        OnNextModal([&](QWidget* dialog) {
            seen = true;
            act(dialog);
            if (dialog->isVisible()) dialog->close();
        });
        Click(Main().MeasurementPanel()->findChild<QPushButton*>(button));
        EXPECT_TRUE(seen) << button;
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
    InDialog("btnTuneCar", [&](QWidget* dialog) {
        auto* tune = Named<QPushButton>(dialog, "btnTune");
        auto* apply = Named<QPushButton>(dialog, "btnApply");
        auto* status = Named<QLabel>(dialog, "status");
        EXPECT_EQ(status->text(), "Choose the impulse responses of at least two channels.");
        EXPECT_FALSE(tune->isEnabled());
        EXPECT_FALSE(apply->isEnabled());
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
    InDialog("btnTuneCar", [&](QWidget* dialog) {
        unsigned seed = 1;
        for (const CarChannel& c : car) {
            const QString n = QString::number(ChannelNumber(c.block));
            files.openPaths = {
                Write("ch" + n + ".wav", QByteArray::fromStdString(analysis::synthetic::Wav(
                                             Render(c.speaker, 0.5, seed++), 48000, SF_FORMAT_FLOAT)))};
            Click(Named<QPushButton>(dialog, "choose" + n));
        }
        Click(Named<QPushButton>(dialog, "btnTune"));
        ASSERT_TRUE(WaitFor([&] { return Named<QPushButton>(dialog, "btnApply")->isEnabled(); }, 60000));
        Click(Named<QPushButton>(dialog, "btnCancel"));
    });
    EXPECT_EQ(Pc(), before);
}

}  // namespace
}  // namespace caraudio::app::test
