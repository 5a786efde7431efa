// The main window's editing handlers: each user action becomes writes of raw
// parameters through the model, then the controls and the curve follow.
#include <QComboBox>

#include "ChannelCurves.h"
#include "DelaySettingsDialog.h"
#include "EditSession.h"
#include "GainCompensation.h"
#include "MainWindow.h"
#include "MixSoundWindow.h"
#include "ParamDatabase.h"
#include "PresetDialog.h"
#include "SEdit2.h"
#include "SMoveThumb.h"
#include "SkButtons.h"
#include "SkEQ.h"
#include "SkSlider.h"
#include "StepLabels.h"
#include "TuningSettings.h"
#include "ValueScales.h"
#include "WindowParts.h"

namespace caraudio::app {

using namespace widgets;

namespace {

constexpr int kAllChannels = 0x3F;

// A typed value (delta 0) or a step of it, by the kind's own rules.
template <typename Parse, typename Step>
ParsedValue Read(const SEdit2* field, int delta, Parse parse, Step step) {
    const std::string text = TextOf(field);
    return delta == 0 ? parse(text) : step(text, delta);
}

// A number as text for the parse rules, which read the leading number.
std::string DecimalText(double value) {
    return QString::number(value, 'f', 3).toStdString();
}

// Wheel and arrow steps on one control within a short pause are one step.
std::string MergeKey(int id) {
    return "main." + std::to_string(id);
}

}  // namespace

// The channel alone, or its whole link group.
std::vector<int> CMainDlg::Targets(int channel) const {
    std::vector<int> out;
    for (int i = 0; i < 6; ++i)
        if (s_.db.EditReaches(channel, i)) out.push_back(i);
    return out;
}

void CMainDlg::OnField(SEdit2* field, int id, int delta) {
    // Leaving a field the user did not touch changes nothing: committing the
    // shown 0.0 of a bypassed band would end the bypass and lose its gains.
    if (!TakeEdit(field, delta)) return;
    // A typed value is a step; a run of arrow or wheel steps is one.
    EditSession::Scope step(s_.session, StepName(id), delta == 0 ? std::string() : MergeKey(id));
    ParamDatabase& db = s_.db;
    const int ch = Channel();
    const GainLimits limits = s_.tuning.Gains();
    if (id == 4000) {
        const ParsedValue v = Read(field, delta, ParseVolume, StepVolume);
        db.SetMainVolume(static_cast<uint16_t>(v.raw));
        SetText(field, v.text);
        SetQuietly(masterSlider_, v.raw);
    } else if (id >= 6000 && id < 6006) {
        const ParsedValue v = Read(field, delta, ParseVolume, StepVolume);
        ChannelVolumeChanged(id - 6000, v.raw);
    } else if (id >= 4100 && id < 4106) {
        const int unit = db.DelayUnit();
        const ParsedValue v =
            delta == 0 ? ParseDelay(TextOf(field), unit) : StepDelay(TextOf(field), delta, unit);
        db.SetParam(param::Delay(id - 4100), static_cast<uint16_t>(v.raw));
        SetText(field, v.text);
    } else if (id == 4002) {
        const ParsedValue v = Read(field, delta, ParseHighPassFreq, StepHighPassFreq);
        db.SetHighPassFreq(ch, static_cast<uint16_t>(v.raw));
        SetText(field, v.text);
        RefreshCurve();
    } else if (id == 4001) {
        const ParsedValue v = Read(field, delta, ParseLowPassFreq, StepLowPassFreq);
        db.SetLowPassFreq(ch, static_cast<uint16_t>(v.raw));
        SetText(field, v.text);
        RefreshCurve();
    } else if (id == 4003) {
        const ParsedValue v = Read(field, delta, ParseThreshold, StepThreshold);
        db.SetThreshold(ch, static_cast<uint16_t>(v.raw));
        SetText(field, v.text);
    } else if (id == 4004) {
        const ParsedValue v = Read(field, delta, ParseAttack, StepAttack);
        db.SetAttack(ch, static_cast<uint16_t>(v.raw));
        SetText(field, v.text);
    } else if (id >= 5000 && id < 5031) {
        const ParsedValue v = Read(field, delta, ParseBandFreq, StepBandFreq);
        db.SetBandFreq(ch, id - 5000, static_cast<uint16_t>(v.raw));
        SetText(field, v.text);
        BandChanged(id - 5000, false);
    } else if (id >= 5100 && id < 5131) {
        const ParsedValue v = Read(field, delta, ParseQ, StepQ);
        db.SetBandQ(ch, id - 5100, static_cast<uint16_t>(v.raw));
        SetText(field, v.text);
        BandChanged(id - 5100, false);
    } else if (id >= 5200 && id < 5231) {
        const std::string text = TextOf(field);
        const ParsedValue v = delta == 0 ? ParseGain(text, limits) : StepGain(text, delta, limits);
        db.SetBandGain(ch, id - 5200, static_cast<uint16_t>(v.raw));
        BandChanged(id - 5200, true);
    }
}

void CMainDlg::OnSlider(int id, int position) {
    // Inside a drag this is part of the drag's step; wheel and keys merge.
    EditSession::Scope step(s_.session, StepName(id), MergeKey(id));
    if (id == 2000) {
        s_.db.SetMainVolume(static_cast<uint16_t>(position));
        SetText(masterField_, FormatVolume(position));
    } else if (id >= 2200 && id < 2206) {
        ChannelVolumeChanged(id - 2200, position);
    } else if (id >= 2100 && id < 2131) {
        s_.db.SetBandGain(Channel(), id - 2100, static_cast<uint16_t>(SliderPosToGain(position)));
        BandChanged(id - 2100, true);
    }
}

void CMainDlg::OnList(int id, int index) {
    if (refreshing_ || index < 0 || id == 8020) {
        if (id == 8020) OnDelayUnit(index);
        return;
    }
    EditSession::Scope step(s_.session, StepName(id), MergeKey(id));
    ParamDatabase& db = s_.db;
    const int ch = Channel();
    switch (id) {
    case 8002:
        db.SetHighPassType(ch, index);
        break;
    case 8003:
        db.SetHighPassSlope(ch, index);
        break;
    case 8000:
        db.SetLowPassType(ch, index);
        break;
    case 8001:
        db.SetLowPassSlope(ch, index);
        break;
    case 8004:
        db.SetRelease(ch, static_cast<uint16_t>(index));
        return;
    case 8005:
        db.SetParam(param::NoiseGate, static_cast<uint16_t>(index));
        return;
    default:
        return;
    }
    RefreshCurve();
}

void CMainDlg::OnCheck(const QAbstractButton* button, int id) {
    const bool on = button->isChecked();
    ParamDatabase& db = s_.db;
    if (id >= 1000 && id < 1031) {
        EditSession::Scope step(s_.session,
                                ChannelStep(on ? "%1 band %2 off" : "%1 band %2 on", Channel(), id - 1000));
        BandOffClicked(id - 1000);
    } else if (id >= 1100 && id < 1106) {
        EditSession::Scope step(s_.session, ChannelStep(on ? "Link %1" : "Unlink %1", id - 1100));
        LinkClicked(id - 1100);
    } else if (id == 1106) {
        EditSession::Scope step(s_.session, StepLabel(on ? "Mute all" : "Unmute all"));
        db.SetParam(param::MuteCtrl, on ? kAllChannels : 0);
        const int mute = db.GetParam(param::MuteCtrl);
        for (int i = 0; i < 6; ++i) CheckQuietly(ch_[static_cast<size_t>(i)].mute, mute >> i & 1);
    } else if (id == 1107) {
        if (bandIds_) bandIds_->setVisible(on);
        if (bandFreqs_) bandFreqs_->setVisible(!on);
    } else if (id >= 1200 && id < 1206) {
        EditSession::Scope step(s_.session, StepName(id));
        db.SetPhase(id - 1200, on);
    } else if (id >= 1300 && id < 1306) {
        EditSession::Scope step(s_.session, StepName(id));
        db.SetMute(id - 1300, on);
        CheckQuietly(masterMute_, (db.GetParam(param::MuteCtrl) & kAllChannels) == kAllChannels);
    } else if ((id >= 1400 && id < 1406) || (id >= 1600 && id < 1606)) {
        // Clicking the channel already shown changes nothing.
        if (!on) SelectChannel(id % 100);
    } else if (id == 1500) {
        ConnectClicked();
    } else if (id == 1501) {
        SetPeqMode(on);
    } else if (id == 1502) {
        EditSession::Scope step(s_.session, StepName(id));
        BypassClicked(on);
    }
}

void CMainDlg::OnButton(int id) {
    switch (id) {
    case 9001: {
        EditSession::Scope step(s_.session, StepName(id));
        ResetEq();
        break;
    }
    case 9006:
        s_.session.Undo();
        break;
    case 9007:
        s_.session.Redo();
        break;
    case 9008:
        SwitchSide();
        break;
    case 9009:
        ShowMenu(MenuItems(9009));
        break;
    case 9003:
        ShowMenu(MenuItems(9003));
        break;
    case 9004:
        ShowMenu(MenuItems(9004));
        break;
    case 9002:
        RunDelaySettings(this, s_.settings, s_.session, s_.sessionEvents,
                         [this](const std::array<double, 6>& d) { ApplySpeakerDistances(d); });
        break;
    case 9005:
        RunPresetDialog("XML_DEVICE_PRESET", this, s_, [this] { RefreshAll(); });
        break;
    case kMixButton:
        RunMixSound(this, s_, [this] { RefreshAll(); });
        break;
    default:
        break;
    }
}

void CMainDlg::OnThumb(const SMoveThumb* thumb, int id, const ThumbMove& move) {
    if (!eq_) return;
    ParamDatabase& db = s_.db;
    const int ch = Channel();
    // Part of the drag's step (see WireSteps); merged when moved otherwise.
    const bool qHandle = id == 933 || id == 934;
    EditSession::Scope step(
        s_.session, qHandle ? ChannelStep("%1 band %2 Q", ch, move.thumbTag) : StepName(id), MergeKey(id));
    const int cx = move.newLeft + thumb->width() / 2, cy = move.newTop + thumb->height() / 2;
    if (id >= 900 && id < 931) {
        const int band = id - 900;
        if (peq_) {
            const int hz = static_cast<int>(std::clamp(eq_->XToFrequency(cx), 20.0, 20000.0));
            db.SetBandFreq(ch, band, static_cast<uint16_t>(hz));
            SetText(band_[static_cast<size_t>(band)].freq, FormatBandFreq(hz));
        }
        const GainLimits limits = s_.tuning.Gains();
        const double gainDb = std::clamp(eq_->YToGain(cy), double(limits.minvol), double(limits.maxvol));
        db.SetBandGain(ch, band, static_cast<uint16_t>(static_cast<int>(gainDb * 100)));
        BandChanged(band, true);
    } else if (id == 931) {
        const ParsedValue v = ParseHighPassFreq(DecimalText(eq_->XToFrequency(cx)));
        db.SetHighPassFreq(ch, static_cast<uint16_t>(v.raw));
        SetText(hpFreq_, v.text);
        RefreshCurve();
    } else if (id == 932) {
        const ParsedValue v = ParseLowPassFreq(DecimalText(eq_->XToFrequency(cx)));
        db.SetLowPassFreq(ch, static_cast<uint16_t>(v.raw));
        SetText(lpFreq_, v.text);
        RefreshCurve();
    } else if (qHandle) {
        MoveQHandle(move.thumbTag, id == 933 ? move.newLeft - move.oldLeft : move.oldLeft - move.newLeft);
    }
}

// Dragging a Q handle outwards widens the band: the movement in pixels is a
// move along the Q step table.
void CMainDlg::MoveQHandle(int band, int pixels) {
    if (!peq_ || band < 0 || band >= 31 || pixels == 0) return;
    const int ch = Channel();
    const int index =
        std::clamp(NearestQIndex(s_.db.GetParam(param::BandQ(ch, band))) + pixels, 0, kQStepCount - 1);
    const int q = kQStepTable[static_cast<size_t>(index)];
    s_.db.SetBandQ(ch, band, static_cast<uint16_t>(q));
    s_.db.CancelBypass(ch);
    SetText(band_[static_cast<size_t>(band)].q, FormatQ(q));
    UpdateCurveBand(band);
    RefreshCurve();
}

void CMainDlg::OnDelayUnit(int unit) {
    if (refreshing_ || unit < 0 || unit >= kDelayUnitCount) return;
    s_.db.SetDelayUnit(unit);
    ShowDelayUnit();
    ShowDelays();
}

void CMainDlg::OnInputMode(int mode) {
    if (refreshing_) return;
    // A refusal keeps the stored mode; the radio stays as the user set it.
    s_.db.SetInputChannelMode(mode);
}

void CMainDlg::SelectChannel(int channel) {
    s_.db.SetSelectedChannel(channel);
    ShowChannel();
    UpdateSelection();
}

void CMainDlg::LinkClicked(int channel) {
    ParamDatabase& db = s_.db;
    const ChannelControls& c = ch_[static_cast<size_t>(channel)];
    if (c.link && c.link->isChecked()) {
        db.LinkWithSelection(channel);
        const int selected = Channel();
        ShowChannelVolume(selected, db.GetParam(param::Volume(selected)));
        ShowChannel();
        UpdateSelection();
        return;
    }
    const int before = Channel();
    db.UnlinkKeepingSelection(channel);
    // The editor must follow a new selection, or it would draw the old channel.
    if (Channel() != before) ShowChannel();
    UpdateSelection();
}

void CMainDlg::ChannelVolumeChanged(int channel, int raw) {
    s_.db.SetChannelVolume(channel, static_cast<uint16_t>(raw));
    for (int i : Targets(channel)) s_.db.SetVolumeMemo(i, -1);
    ShowChannelVolume(channel, raw);
}

void CMainDlg::BandChanged(int band, bool gainChanged) {
    const int ch = Channel();
    if (gainChanged) CompensateGain(ch);
    s_.db.CancelBypass(ch);
    if (gainChanged) ShowBand(band, ch, static_cast<int16_t>(s_.db.GetParam(param::BandGain(ch, band))));
    UpdateCurveBand(band);
    RefreshCurve();
    CheckGainAlert(ch);
}

void CMainDlg::BandOffClicked(int band) {
    ParamDatabase& db = s_.db;
    const int ch = Channel();
    SkCheckButton* box = band_[static_cast<size_t>(band)].off;
    if (box && box->isChecked()) {
        if (!db.SwitchBandOff(ch, band)) return;  // already at 0: stays checked, nothing written
    } else if (!db.SwitchBandOn(ch, band)) {
        CheckQuietly(box, true);  // a band at 0 cannot be turned on
        return;
    }
    CompensateGain(ch);
    UpdateCurveBand(band);
    ShowBand(band, ch, static_cast<int16_t>(db.GetParam(param::BandGain(ch, band))));
    RefreshCurve();
    CheckGainAlert(ch);
}

void CMainDlg::BypassClicked(bool on) {
    const int ch = Channel();
    s_.db.SetBypass(ch, on);
    RefreshCurveChannels(Targets(ch));
    CompensateGain(ch);
    ShowChannel();
    RefreshCurve();
    CheckGainAlert(ch);
}

void CMainDlg::ResetEq() {
    const int ch = Channel();
    s_.db.ResetChannel(ch);
    CompensateGain(ch);
    RefreshAll();
    RefreshCurve();
    CheckGainAlert(ch);
}

void CMainDlg::SetPeqMode(bool on) {
    peq_ = on;
    for (BandControls& b : band_) {
        if (b.freq) b.freq->setEnabled(on);
        if (b.q) b.q->setEnabled(on);
    }
    if (eq_) eq_->ShowQHandles(on);
}

void CMainDlg::CompensateGain(int channel) {
    if (const auto volume = caraudio::CompensateGain(s_.db, channel, s_.tuning.scale))
        ShowChannelVolume(channel, *volume);
}

void CMainDlg::UpdateCurveBand(int band) {
    for (int i : Targets(Channel()))
        s_.curves.Model(i).SetBand(band, ChannelCurves::BandInput(s_.db.Block(), i, band));
}

void CMainDlg::RefreshCurveChannels(const std::vector<int>& channels) {
    for (int i : channels) s_.curves.Model(i).SetAllBands(ChannelCurves::BandInputs(s_.db.Block(), i));
}

void CMainDlg::RefreshCurve() {
    if (eq_) eq_->RefreshCurve();
    // Every edit moves the predicted curve with the channel's own.
    ShowOverlays();
}

void CMainDlg::ApplySpeakerDistances(const std::array<double, 6>& lengths) {
    // Inside a drag on the car map this joins the drag's step.
    EditSession::Scope step(s_.session, StepLabel("Delays from the car map"));
    const int unit = s_.db.DelayUnit();
    for (int k = 0; k < 6; ++k) {
        const double d = std::max(0.0, lengths[static_cast<size_t>(k)]);
        const double ms = std::min(d / 346.0, 20.0);
        const int channel = BlockOfChannel(k + 1);
        s_.db.SetParam(param::Delay(channel), static_cast<uint16_t>(static_cast<int>(ms * 48)));
        const double shown = unit == kDelayCm     ? std::min(d / 10.0, 692.0)
                             : unit == kDelayInch ? std::min(d * 0.0393701, 272.44)
                                                  : ms;
        SetText(ch_[static_cast<size_t>(channel)].delay,
                QString::number(shown, 'f', unit == kDelayMs ? 3 : 2).toStdString());
    }
}

void CMainDlg::CheckGainAlert(int channel) {
    if (s_.tuning.alertEnable == 0) return;
    if (s_.curves.Model(channel).Peak() >= kAlertPeakDb)
        alertTimer_.start(s_.tuning.alertDelay);
    else
        alertTimer_.stop();
}

}  // namespace caraudio::app
