// The mix window's filling and handlers.
#include "MixSoundWindow.h"

#include <algorithm>
#include <cmath>

#include "CommonDialog.h"
#include "EditSession.h"
#include "NumberText.h"
#include "ParamDatabase.h"
#include "SEdit2.h"
#include "SessionHooks.h"
#include "SkButtons.h"
#include "SkSlider.h"
#include "StepLabels.h"
#include "ValueScales.h"
#include "WindowParts.h"

namespace caraudio::app {

using namespace widgets;

namespace {

constexpr int kAllMuted = 0x3F;

// Runs of wheel or arrow steps on one control merge into one step.
std::string Key(const char* control, int block = 0, int input = 0) {
    return std::string("mix.") + control + "." + std::to_string(block) + "." + std::to_string(input);
}

}  // namespace

CDlgMixSoundEventHandler::CDlgMixSoundEventHandler(CCommonDlg& dialog, const AppServices& services)
    : QObject(&dialog), dialog_(dialog), s_(services) {
    for (auto& levels : remembered_) levels.fill(kLevelMax);
    if (!dialog.Layout()) return;
    Build(dialog.Layout());
    Fill();
    MarkLabels();
    Wire();
    InstallUndoKeys(&dialog, s_.session);
    connect(&s_.sessionEvents, &SessionEvents::tuningReplaced, this, [this] {
        Fill();
        MarkLabels();
    });
}

void CDlgMixSoundEventHandler::Wire() {
    for (int b = 0; b < 6; ++b) {
        Strip& s = strips_[static_cast<size_t>(b)];
        for (int n = 0; n < kInputs; ++n) {
            const Input& in = s.inputs[static_cast<size_t>(n)];
            if (in.slider) {
                connect(in.slider, &SkSlider::sliderPos, this, [this, b, n](int v) { SetLevel(b, n, v); });
                StepPerGesture(in.slider, s_.session,
                               [b, n] { return ChannelStep("%1 input %2 level", b, n); });
            }
            if (in.edit) {
                connect(in.edit, &QLineEdit::editingFinished, this, [this, b, n] { LevelEdited(b, n, 0); });
                connect(in.edit, &SEdit2::valueChanging, this,
                        [this, b, n](int step) { LevelEdited(b, n, step); });
            }
            if (in.off)
                connect(in.off, &QAbstractButton::clicked, this, [this, b, n] { SwitchClicked(b, n); });
        }
        if (s.volume) {
            connect(s.volume, &SkSlider::sliderPos, this, [this, b](int v) { VolumeMoved(b, v); });
            StepPerGesture(s.volume, s_.session, [b] { return ChannelStep("%1 level", b); });
        }
        if (s.volumeEdit) {
            connect(s.volumeEdit, &QLineEdit::editingFinished, this, [this, b] { VolumeEdited(b, 0); });
            connect(s.volumeEdit, &SEdit2::valueChanging, this,
                    [this, b](int step) { VolumeEdited(b, step); });
        }
        if (s.phase) connect(s.phase, &QAbstractButton::clicked, this, [this, b] { PhaseClicked(b); });
        if (s.mute) connect(s.mute, &QAbstractButton::clicked, this, [this, b] { MuteClicked(b); });
        if (s.label) connect(s.label, &QAbstractButton::clicked, this, [this, b] { LabelClicked(b); });
        if (s.link) connect(s.link, &QAbstractButton::clicked, this, [this, b] { LinkClicked(b); });
    }
    if (master_) {
        connect(master_, &SkSlider::sliderPos, this, &CDlgMixSoundEventHandler::MasterMoved);
        StepPerGesture(master_, s_.session, [] { return StepLabel("Master level"); });
    }
    if (masterEdit_) {
        connect(masterEdit_, &QLineEdit::editingFinished, this, [this] { MasterEdited(0); });
        connect(masterEdit_, &SEdit2::valueChanging, this, &CDlgMixSoundEventHandler::MasterEdited);
    }
    if (masterMute_)
        connect(masterMute_, &QAbstractButton::clicked, this, &CDlgMixSoundEventHandler::MasterMuteClicked);
}

void CDlgMixSoundEventHandler::Fill() {
    ParamDatabase& db = s_.db;
    const int mainVol = db.GetParam(param::MainVol);
    SetQuietly(master_, mainVol);
    SetText(masterEdit_, FormatVolume(mainVol));
    const int mute = db.GetParam(param::MuteCtrl), phase = db.GetParam(param::PhaseCtrl);
    CheckQuietly(masterMute_, (mute & kAllMuted) == kAllMuted);
    for (int b = 0; b < 6; ++b) {
        Strip& s = strips_[static_cast<size_t>(b)];
        CheckQuietly(s.link, db.IsLinked(b));
        CheckQuietly(s.phase, (phase >> b) & 1);
        CheckQuietly(s.mute, (mute >> b) & 1);
        ShowVolume(b, db.GetParam(param::Volume(b)));
        for (int n = 0; n < kInputs; ++n) {
            const Input& in = s.inputs[static_cast<size_t>(n)];
            const int level = db.GetParam(param::Input(b, n));
            SetText(in.edit, FormatInt(level));
            SetQuietly(in.slider, level);
            CheckQuietly(in.off, level == 0);
        }
    }
}

void CDlgMixSoundEventHandler::MarkLabels() {
    ParamDatabase& db = s_.db;
    const int current = db.SelectedChannel();
    for (int b = 0; b < 6; ++b)
        CheckQuietly(strips_[static_cast<size_t>(b)].label, db.EditReaches(current, b));
}

// --- input levels ----------------------------------------------------------

void CDlgMixSoundEventHandler::SetLevel(int b, int n, int level) {
    EditSession::Scope step(s_.session, ChannelStep("%1 input %2 level", b, n), Key("input", b, n));
    const Input& in = strips_[static_cast<size_t>(b)].inputs[static_cast<size_t>(n)];
    s_.db.SetParam(param::Input(b, n), static_cast<uint16_t>(level));
    SetText(in.edit, FormatInt(level));
    SetQuietly(in.slider, level);
    CheckQuietly(in.off, level == 0);
}

void CDlgMixSoundEventHandler::LevelEdited(int b, int n, int step) {
    const Input& in = strips_[static_cast<size_t>(b)].inputs[static_cast<size_t>(n)];
    if (!TakeEdit(in.edit, step)) return;
    const double typed = std::trunc(ReadLeadingNumber(TextOf(in.edit)));
    SetLevel(b, n, TruncToInt(std::clamp(typed + step, 0.0, double(kLevelMax))));
}

void CDlgMixSoundEventHandler::SwitchClicked(int b, int n) {
    const Input& in = strips_[static_cast<size_t>(b)].inputs[static_cast<size_t>(n)];
    int& remembered = remembered_[static_cast<size_t>(b)][static_cast<size_t>(n)];
    const bool off = in.off && in.off->isChecked();
    EditSession::Scope step(s_.session, ChannelStep(off ? "%1 input %2 off" : "%1 input %2 on", b, n));
    if (off) {
        remembered =
            TruncToInt(std::clamp(std::trunc(ReadLeadingNumber(TextOf(in.edit))), 0.0, double(kLevelMax)));
        SetLevel(b, n, 0);
    } else {
        SetLevel(b, n, remembered);
    }
}

// --- channel volume and master ---------------------------------------------

void CDlgMixSoundEventHandler::ShowVolume(int b, int raw) {
    ParamDatabase& db = s_.db;
    for (int i = 0; i < 6; ++i) {
        if (!db.EditReaches(b, i)) continue;
        Strip& s = strips_[static_cast<size_t>(i)];
        SetQuietly(s.volume, raw);
        SetText(s.volumeEdit, FormatVolume(raw));
    }
}

void CDlgMixSoundEventHandler::VolumeMoved(int b, int raw) {
    EditSession::Scope step(s_.session, ChannelStep("%1 level", b), Key("volume", b));
    s_.db.SetChannelVolume(b, static_cast<uint16_t>(raw));
    ShowVolume(b, raw);
}

void CDlgMixSoundEventHandler::VolumeEdited(int b, int step) {
    ParamDatabase& db = s_.db;
    SEdit2* edit = strips_[static_cast<size_t>(b)].volumeEdit;
    if (!TakeEdit(edit, step)) return;
    EditSession::Scope undoStep(s_.session, ChannelStep("%1 level", b), step == 0 ? "" : Key("volume", b));
    const ParsedValue v = step == 0 ? ParseVolume(TextOf(edit)) : StepVolume(TextOf(edit), step);
    db.SetChannelVolume(b, static_cast<uint16_t>(v.raw));
    ShowVolume(b, v.raw);
    if (step != 0) return;
    for (int i = 0; i < 6; ++i)
        if (db.EditReaches(b, i)) db.SetVolumeMemo(i, -1);
}

void CDlgMixSoundEventHandler::MasterMoved(int raw) {
    EditSession::Scope step(s_.session, StepLabel("Master level"), Key("master"));
    s_.db.SetMainVolume(static_cast<uint16_t>(raw));
    SetText(masterEdit_, FormatVolume(raw));
}

void CDlgMixSoundEventHandler::MasterEdited(int step) {
    if (!TakeEdit(masterEdit_, step)) return;
    EditSession::Scope undoStep(s_.session, StepLabel("Master level"), step == 0 ? "" : Key("master"));
    const ParsedValue v =
        step == 0 ? ParseVolume(TextOf(masterEdit_)) : StepVolume(TextOf(masterEdit_), step);
    s_.db.SetMainVolume(static_cast<uint16_t>(v.raw));
    SetText(masterEdit_, v.text);
    SetQuietly(master_, v.raw);
}

void CDlgMixSoundEventHandler::MasterMuteClicked() {
    const bool all = masterMute_ && masterMute_->isChecked();
    EditSession::Scope step(s_.session, StepLabel(all ? "Mute all" : "Unmute all"));
    s_.db.SetParam(param::MuteCtrl, all ? kAllMuted : 0);
    const int mute = s_.db.GetParam(param::MuteCtrl);
    for (int b = 0; b < 6; ++b) CheckQuietly(strips_[static_cast<size_t>(b)].mute, (mute >> b) & 1);
}

// --- phase, mute, selection and links --------------------------------------

void CDlgMixSoundEventHandler::PhaseClicked(int b) {
    const SkCheckButton* phase = strips_[static_cast<size_t>(b)].phase;
    EditSession::Scope step(s_.session, ChannelStep("%1 phase", b));
    s_.db.SetPhase(b, phase && phase->isChecked());
}

void CDlgMixSoundEventHandler::MuteClicked(int b) {
    const SkCheckButton* mute = strips_[static_cast<size_t>(b)].mute;
    EditSession::Scope step(s_.session, ChannelStep("%1 mute", b));
    s_.db.SetMute(b, mute && mute->isChecked());
    CheckQuietly(masterMute_, (s_.db.GetParam(param::MuteCtrl) & kAllMuted) == kAllMuted);
}

void CDlgMixSoundEventHandler::LabelClicked(int b) {
    const SkCheckButton* label = strips_[static_cast<size_t>(b)].label;
    if (label && label->isChecked()) return;
    s_.db.SetSelectedChannel(b);
    MarkLabels();
}

void CDlgMixSoundEventHandler::LinkClicked(int b) {
    ParamDatabase& db = s_.db;
    const SkCheckButton* link = strips_[static_cast<size_t>(b)].link;
    EditSession::Scope step(s_.session, ChannelStep(link && link->isChecked() ? "Link %1" : "Unlink %1", b));
    if (link && link->isChecked()) {
        db.LinkWithSelection(b);
        const int current = db.SelectedChannel();
        ShowVolume(current, db.GetParam(param::Volume(current)));
    } else {
        db.UnlinkKeepingSelection(b);
    }
    MarkLabels();
}

void RunMixSound(QWidget* owner, const AppServices& services, const std::function<void()>& refreshMain) {
    CCommonDlg dialog("XML_MIXSOUNDWD", owner);
    new CDlgMixSoundEventHandler(dialog, services);  // owned by the dialog
    dialog.exec();
    if (refreshMain) refreshMain();
}

}  // namespace caraudio::app
