// The main window shows the model: every control set from the image.
#include <QComboBox>

#include "ChannelCurves.h"
#include "ConnectionIndicator.h"
#include "MainWindow.h"
#include "MeasurementDialog.h"
#include "ParamDatabase.h"
#include "SEdit2.h"
#include "SWindow.h"
#include "SkButtons.h"
#include "SkEQ.h"
#include "SkSlider.h"
#include "ValueScales.h"
#include "WindowParts.h"

namespace caraudio::app {

using namespace widgets;

namespace {

constexpr int kAllChannels = 0x3F;

}  // namespace

int CMainDlg::Channel() const {
    return s_.db.SelectedChannel();
}

bool CMainDlg::BandFlat(int channel, int band) const {
    const ParamDatabase& db = s_.db;
    return (db.GetParam(param::PassCtrl) >> channel & 1) ||
           db.GetParam(param::BandGain(channel, band)) == 0 || db.HasRememberedGain(channel, band);
}

void CMainDlg::ShowIndicator() {
    ShowConnectionState(indicator_, BoxConnected(s_.manager, s_.db));
}

void CMainDlg::ShowDelays() {
    for (int i = 0; i < 6; ++i)
        SetText(ch_[static_cast<size_t>(i)].delay,
                FormatDelay(s_.db.GetParam(param::Delay(i)), s_.db.DelayUnit()));
}

// The unit radios and the hidden unit list show the same unit.
void CMainDlg::ShowDelayUnit() {
    const int unit = std::clamp(s_.db.DelayUnit(), 0, kDelayUnitCount - 1);
    CheckQuietly(unit_[static_cast<size_t>(unit)], true);
    if (unitList_) {
        const bool blocked = unitList_->blockSignals(true);
        unitList_->setCurrentIndex(unit);
        unitList_->blockSignals(blocked);
    }
}

void CMainDlg::RefreshAll() {
    const bool wasRefreshing = refreshing_;
    refreshing_ = true;
    ParamDatabase& db = s_.db;
    ShowIndicator();
    const int mainVol = db.GetParam(param::MainVol);
    SetQuietly(masterSlider_, mainVol);
    SetText(masterField_, FormatVolume(mainVol));
    const int mute = db.GetParam(param::MuteCtrl);
    CheckQuietly(masterMute_, (mute & kAllChannels) == kAllChannels);
    const int phase = db.GetParam(param::PhaseCtrl);
    for (int i = 0; i < 6; ++i) {
        ChannelControls& c = ch_[static_cast<size_t>(i)];
        CheckQuietly(c.link, db.IsLinked(i));
        CheckQuietly(c.phase, phase >> i & 1);
        CheckQuietly(c.mute, mute >> i & 1);
        const int volume = db.GetParam(param::Volume(i));
        SetQuietly(c.slider, volume);
        SetText(c.field, FormatVolume(volume));
    }
    ShowDelays();
    ShowDelayUnit();
    if (db.InputChannelMode() == 0) CheckQuietly(mode2_, true);
    if (db.InputChannelMode() == 1) CheckQuietly(mode4_, true);
    UpdateSelection();
    ShowChannel();
    refreshing_ = wasRefreshing;
}

void CMainDlg::ShowChannel() {
    ParamDatabase& db = s_.db;
    const int ch = Channel();
    const auto hpByte = static_cast<uint8_t>(db.GetParam(param::HighPassType(ch)));
    const auto lpByte = static_cast<uint8_t>(db.GetParam(param::LowPassType(ch)));
    // List events are ignored while the lists show the channel: none of
    // them is a user's choice.
    const bool wasRefreshing = refreshing_;
    refreshing_ = true;
    if (hpType_) hpType_->setCurrentIndex(CrossoverTypeField(hpByte));
    if (hpSlope_) hpSlope_->setCurrentIndex(CrossoverSlopeField(hpByte));
    if (lpType_) lpType_->setCurrentIndex(CrossoverTypeField(lpByte));
    if (lpSlope_) lpSlope_->setCurrentIndex(CrossoverSlopeField(lpByte));
    SetText(hpFreq_, FormatHighPassFreq(db.GetParam(param::HighPassFreq(ch))));
    SetText(lpFreq_, FormatLowPassFreq(db.GetParam(param::LowPassFreq(ch))));
    SetText(threshold_, FormatThreshold(static_cast<int16_t>(db.GetParam(param::Threshold(ch)))));
    SetText(attack_, FormatAttack(static_cast<int16_t>(db.GetParam(param::Attack(ch)))));
    if (release_) release_->setCurrentIndex(db.GetParam(param::Release(ch)));
    if (noiseGate_) noiseGate_->setCurrentIndex(db.GetParam(param::NoiseGate));
    bool allFlat = true;
    for (int b = 0; b < 31; ++b) {
        BandControls& c = band_[static_cast<size_t>(b)];
        SetText(c.freq, FormatBandFreq(db.GetParam(param::BandFreq(ch, b))));
        SetText(c.q, FormatQ(db.GetParam(param::BandQ(ch, b))));
        const bool flat = BandFlat(ch, b);
        allFlat = allFlat && flat;
        const int gain = flat ? 0 : static_cast<int16_t>(db.GetParam(param::BandGain(ch, b)));
        SetText(c.gain, FormatGain(gain));
        SetQuietly(c.slider, GainToSliderPos(gain));
        CheckQuietly(c.off, flat);
    }
    CheckQuietly(bypass_, allFlat);
    if (eq_) eq_->SetEqData(&s_.curves.Model(ch));
    ShowOverlays();
    if (measurementDlg_ && measurementDlg_->Channel() != ch) measurementDlg_->ShowChannel(ch);
    refreshing_ = wasRefreshing;
}

void CMainDlg::ShowChannelVolume(int channel, int raw) {
    for (int i = 0; i < 6; ++i) {
        if (!s_.db.EditReaches(channel, i)) continue;
        ChannelControls& c = ch_[static_cast<size_t>(i)];
        SetQuietly(c.slider, raw);
        SetText(c.field, FormatVolume(raw));
    }
}

void CMainDlg::ShowBand(int band, int channel, int rawGain) {
    BandControls& c = band_[static_cast<size_t>(band)];
    SetText(c.gain, FormatGain(rawGain));
    SetQuietly(c.slider, GainToSliderPos(rawGain));
    if (rawGain != 0) {
        CheckQuietly(c.off, false);
        CheckQuietly(bypass_, false);
        return;
    }
    CheckQuietly(c.off, true);
    bool allFlat = true;
    for (int b = 0; b < 31 && allFlat; ++b)
        allFlat = s_.db.GetParam(param::BandGain(channel, b)) == 0 || s_.db.HasRememberedGain(channel, b);
    if (allFlat) CheckQuietly(bypass_, true);
}

void CMainDlg::UpdateSelection() {
    const int ch = Channel();
    for (int i = 0; i < 6; ++i) {
        const bool on = s_.db.EditReaches(ch, i);
        CheckQuietly(ch_[static_cast<size_t>(i)].select, on);
        CheckQuietly(ch_[static_cast<size_t>(i)].speaker, on);
    }
    if (channelLabel_) channelLabel_->SetText(QString("CH %1").arg(ChannelNumber(ch)));
}

}  // namespace caraudio::app
