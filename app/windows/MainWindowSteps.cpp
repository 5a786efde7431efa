// The main window's undo, redo and A/B: the steps its controls make, the
// Undo, Redo and A/B buttons, and showing a tuning the session replaced.
#include <QPushButton>

#include "EditSession.h"
#include "Layouts.h"
#include "MainWindow.h"
#include "SMoveThumb.h"
#include "SessionHooks.h"
#include "SkEQ.h"
#include "SkSlider.h"
#include "StepLabels.h"
#include "Translation.h"
#include "WindowParts.h"

namespace caraudio::app {

using namespace widgets;

std::string CMainDlg::StepName(int id) const {
    const int ch = Channel();
    auto band = [ch](const char* pattern, int b) { return ChannelStep(pattern, ch, b); };
    if (id == 4000 || id == 2000) return StepLabel("Master level");
    if (id >= 6000 && id < 6006) return ChannelStep("%1 level", id - 6000);
    if (id >= 2200 && id < 2206) return ChannelStep("%1 level", id - 2200);
    if (id >= 4100 && id < 4106) return ChannelStep("%1 delay", id - 4100);
    if (id >= 5000 && id < 5031) return band("%1 band %2 frequency", id - 5000);
    if (id >= 5100 && id < 5131) return band("%1 band %2 Q", id - 5100);
    if (id >= 5200 && id < 5231) return band("%1 band %2 gain", id - 5200);
    if (id >= 2100 && id < 2131) return band("%1 band %2 gain", id - 2100);
    // In PEQ mode a band's thumb moves its frequency as well as its gain.
    if (id >= 900 && id < 931) return band(peq_ ? "%1 band %2" : "%1 band %2 gain", id - 900);
    if (id >= 1200 && id < 1206) return ChannelStep("%1 phase", id - 1200);
    if (id >= 1300 && id < 1306) return ChannelStep("%1 mute", id - 1300);
    switch (id) {
    case 4002:
    case 931:
        return ChannelStep("%1 high-pass frequency", ch);
    case 4001:
    case 932:
        return ChannelStep("%1 low-pass frequency", ch);
    case 4003:
        return ChannelStep("%1 threshold", ch);
    case 4004:
        return ChannelStep("%1 attack", ch);
    case 8002:
        return ChannelStep("%1 high-pass type", ch);
    case 8003:
        return ChannelStep("%1 high-pass slope", ch);
    case 8000:
        return ChannelStep("%1 low-pass type", ch);
    case 8001:
        return ChannelStep("%1 low-pass slope", ch);
    case 8004:
        return ChannelStep("%1 release", ch);
    case 8005:
        return StepLabel("Noise gate");
    case 1502:
        return ChannelStep("BypassEQ %1", ch);
    case 9001:
        return ChannelStep("ResetEQ %1", ch);
    default:
        return {};
    }
}

void CMainDlg::WireSteps() {
    undo_ = Control<QPushButton>(layout_, 9006);
    redo_ = Control<QPushButton>(layout_, 9007);
    side_ = Control<QPushButton>(layout_, 9008);
    // A drag of a slider or of a thumb on the curve is one step, press to release.
    for (SkSlider* slider : layout_->findChildren<SkSlider*>())
        StepPerGesture(slider, s_.session, [this, id = IdOf(slider)] { return StepName(id); });
    for (SMoveThumb* thumb : eq_ ? eq_->findChildren<SMoveThumb*>() : QList<SMoveThumb*>()) {
        const int id = IdOf(thumb);
        StepPerGesture(thumb, s_.session, [this, thumb, id] {
            if (id == 933 || id == 934) return ChannelStep("%1 band %2 Q", Channel(), thumb->ThumbTag());
            return StepName(id);
        });
    }
    InstallUndoKeys(this, s_.session, [this] { SwitchSide(); });
    connect(&s_.sessionEvents, &SessionEvents::stepsChanged, this, [this] { ShowUndoState(); });
    connect(&s_.sessionEvents, &SessionEvents::tuningReplaced, this, [this] { OnTuningReplaced(); });
    ShowUndoState();
}

void CMainDlg::ShowUndoState() {
    const EditSession& session = s_.session;
    if (undo_) {
        undo_->setEnabled(session.CanUndo());
        undo_->setToolTip(UndoTip(session.CanUndo(), session.UndoLabel()));
    }
    if (redo_) {
        redo_->setEnabled(session.CanRedo());
        redo_->setToolTip(RedoTip(session.CanRedo(), session.RedoLabel()));
    }
    ShowSide();
}

void CMainDlg::ShowSide() {
    if (!side_) return;
    const EditSession::Side side = s_.session.CurrentSide();
    side_->setText(TuningName(side));
    side_->setToolTip(Tr("steps", "Switch to tuning %1 (Ctrl+B)").arg(SideLetter(OtherSide(side))));
}

// Every value anew, the curve of the channel shown and its alert with them.
void CMainDlg::OnTuningReplaced() {
    RefreshAll();
    RefreshCurve();
    CheckGainAlert(Channel());
}

void CMainDlg::SwitchSide() {
    s_.session.Switch();
}

void CMainDlg::CopySide(bool aToB) {
    s_.session.Copy(aToB ? EditSession::Side::A : EditSession::Side::B,
                    StepLabel(aToB ? "Copy A to B" : "Copy B to A"));
}

}  // namespace caraudio::app
