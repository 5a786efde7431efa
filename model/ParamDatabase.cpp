#include "ParamDatabase.h"

#include "NumberText.h"
#include "ValueScales.h"

namespace caraudio {

ParamDatabase::ParamDatabase() : throttle_(*this) {}

uint16_t ParamDatabase::GetParam(int index) const {
    const ParamRecord* r = FindParam(index);
    return r ? block_.Get(*r) : 0;
}

void ParamDatabase::SetParam(int index, uint16_t value) {
    const ParamRecord* r = FindParam(index);
    if (!r || block_.Get(*r) == value) return;
    Logf(log_, "CarAudio: SetParam %16s = %4d(%d) = 0x%04X  (%dbytes) index=%d offset=%d\n", r->name, value,
         static_cast<int16_t>(value), value, r->size, r->index, r->offset);
    block_.Set(*r, value);
    if (IsDeviceReady()) {
        pending_.Set(index, value);
        throttle_.Touch();
    }
}

void ParamDatabase::Resend(int index) {
    if (IsDeviceReady()) pending_.Set(index, GetParam(index));
}

bool ParamDatabase::IsDeviceReady() const {
    return link_ && link_->IsOpen() && connected_;
}

bool ParamDatabase::IsLinked(int channel) const {
    return ValidChannel(channel) && linked_[Ch(channel)] != 0;
}

bool ParamDatabase::EditReaches(int channel, int other) const {
    return ValidChannel(other) && (TargetChannels(channel) >> other & 1) != 0;
}

int ParamDatabase::VolumeMemo(int channel) const {
    return ValidChannel(channel) ? volumeMemo_[Ch(channel)] : -1;
}

void ParamDatabase::SetVolumeMemo(int channel, int value) {
    if (ValidChannel(channel)) volumeMemo_[Ch(channel)] = value;
}

bool ParamDatabase::HasRememberedGain(int channel, int band) const {
    return ValidChannel(channel) && ValidBand(band) &&
           bypassRemembered_[Ch(channel)][Ch(band)] != Remembered::Nothing;
}

int ParamDatabase::RememberedGain(int channel, int band) const {
    return ValidChannel(channel) && ValidBand(band) ? bypassGain_[Ch(channel)][Ch(band)] : 0;
}

ParamDatabase::ChannelMask ParamDatabase::TargetChannels(int channel) const {
    if (!ValidChannel(channel)) return 0;
    if (!linked_[Ch(channel)]) return static_cast<ChannelMask>(1u << channel);
    ChannelMask mask = 0;
    for (int i = 0; i < kChannelCount; ++i)
        if (linked_[Ch(i)]) mask = static_cast<ChannelMask>(mask | (1u << i));
    return mask;
}

template <typename Fn>
void ParamDatabase::ForEachTarget(int channel, Fn&& fn) const {
    const ChannelMask mask = TargetChannels(channel);
    for (int i = 0; i < kChannelCount; ++i)
        if (mask & (1u << i)) fn(i);
}

void ParamDatabase::SetLinked(int channel, int (*index)(int), uint16_t value) {
    ForEachTarget(channel, [&](int i) { SetParam(index(i), value); });
}

void ParamDatabase::SetMainVolume(uint16_t value) {
    SetParam(param::MainVol, value);
}

void ParamDatabase::SetDelayMs(int channel, double ms) {
    if (!ValidChannel(channel)) return;
    // Samples at 48 kHz, truncated, then cut to 16 bits.
    SetParam(param::Delay(channel), static_cast<uint16_t>(TruncToInt(ms * 48.0)));
}

void ParamDatabase::SetChannelVolume(int channel, uint16_t value) {
    SetLinked(channel, param::Volume, value);
}

void ParamDatabase::SetHighPassFreq(int channel, uint16_t value) {
    ForEachTarget(channel, [&](int i) {
        SetParam(param::HighPassFreq(i), value);
        RefreshCrossovers(i);
    });
}

void ParamDatabase::SetLowPassFreq(int channel, uint16_t value) {
    ForEachTarget(channel, [&](int i) {
        SetParam(param::LowPassFreq(i), value);
        RefreshCrossovers(i);
    });
}

// The whole byte of the edited channel goes to every linked channel, so a
// slope change also carries the edited channel's type field, and vice versa.
void ParamDatabase::SetCrossoverField(int channel, int (*typeIndex)(int), CrossoverFieldSetter with,
                                      int value) {
    if (!ValidChannel(channel)) return;
    const uint8_t newByte = with(static_cast<uint8_t>(GetParam(typeIndex(channel))), value);
    ForEachTarget(channel, [&](int i) {
        SetParam(typeIndex(i), newByte);
        RefreshCrossovers(i);
    });
}

void ParamDatabase::SetHighPassSlope(int channel, int slope) {
    SetCrossoverField(channel, param::HighPassType, WithCrossoverSlope, slope);
}

void ParamDatabase::SetLowPassSlope(int channel, int slope) {
    SetCrossoverField(channel, param::LowPassType, WithCrossoverSlope, slope);
}

void ParamDatabase::SetHighPassType(int channel, int type) {
    SetCrossoverField(channel, param::HighPassType, WithCrossoverType, type);
}

void ParamDatabase::SetLowPassType(int channel, int type) {
    SetCrossoverField(channel, param::LowPassType, WithCrossoverType, type);
}

void ParamDatabase::SetBandFreq(int channel, int band, uint16_t value) {
    if (!ValidBand(band)) return;
    ForEachTarget(channel, [&](int i) { SetParam(param::BandFreq(i, band), value); });
}

void ParamDatabase::SetBandQ(int channel, int band, uint16_t value) {
    if (!ValidBand(band)) return;
    ForEachTarget(channel, [&](int i) { SetParam(param::BandQ(i, band), value); });
}

void ParamDatabase::SetBandGain(int channel, int band, uint16_t value) {
    if (!ValidBand(band)) return;
    ForEachTarget(channel, [&](int i) { SetParam(param::BandGain(i, band), value); });
}

void ParamDatabase::SetThreshold(int channel, uint16_t value) {
    SetLinked(channel, param::Threshold, value);
}

void ParamDatabase::SetAttack(int channel, uint16_t value) {
    SetLinked(channel, param::Attack, value);
}

void ParamDatabase::SetRelease(int channel, uint16_t value) {
    SetLinked(channel, param::Release, value);
}

void ParamDatabase::SetMaskBit(int index, int channel, bool on) {
    if (!ValidChannel(channel)) return;
    const uint16_t bit = static_cast<uint16_t>(1u << channel);
    const uint16_t old = GetParam(index);
    SetParam(index, static_cast<uint16_t>(on ? (old | bit) : (old & ~bit)));
}

void ParamDatabase::SetMute(int channel, bool on) {
    SetMaskBit(param::MuteCtrl, channel, on);
}

void ParamDatabase::SetPhase(int channel, bool on) {
    SetMaskBit(param::PhaseCtrl, channel, on);
}

void ParamDatabase::SetBypass(int channel, bool on) {
    const ChannelMask mask = TargetChannels(channel);
    if (!mask) return;
    const auto pass = static_cast<uint8_t>(GetParam(param::PassCtrl));
    const auto newByte = static_cast<uint8_t>(on ? (pass | mask) : (pass & ~mask));
    if (on) {
        throttle_.Flush();
        SetParam(param::PassCtrl, newByte);
        throttle_.Flush();
        ForEachTarget(channel, [&](int i) { ZeroGainsForBypass(i); });
        return;
    }
    ForEachTarget(channel, [&](int i) {
        for (int b = 0; b < kBandCount; ++b) {
            if (bypassRemembered_[Ch(i)][Ch(b)] != Remembered::ByBypass) continue;
            SetParam(param::BandGain(i, b), static_cast<uint16_t>(bypassGain_[Ch(i)][Ch(b)]));
            Remember(i, b, Remembered::Nothing, 0);
        }
    });
    throttle_.Flush();
    SetParam(param::PassCtrl, newByte);
    throttle_.Flush();
}

// The box bypasses the EQ itself; the PC zeroes its copy so the curve shows
// flat, and remembers the gains to restore. A band already zero keeps what is
// remembered for it: an earlier bypass's gain, so bypassing twice (or through
// a link) loses nothing, or a switched-off band's, which stays off when the
// bypass ends.
void ParamDatabase::ZeroGainsForBypass(int channel) {
    for (int b = 0; b < kBandCount; ++b) {
        const ParamRecord& r = *FindParam(param::BandGain(channel, b));
        const auto gain = static_cast<int16_t>(block_.Get(r));
        if (gain == 0) continue;
        Remember(channel, b, Remembered::ByBypass, gain);
        block_.Set(r, 0);
    }
}

void ParamDatabase::CancelBypass(int channel) {
    EndBypassAsShown(channel);
    ForEachTarget(channel, [&](int i) { ForgetBypassGains(i); });
}

void ParamDatabase::EndBypassAsShown(int channel) {
    const ChannelMask mask = TargetChannels(channel);
    if (!mask) return;
    // The box still holds the gains the bypass zeroed only on the PC: they go
    // out before the bit, or the box would play an EQ the window does not show.
    ForEachTarget(channel, [&](int i) {
        for (int b = 0; b < kBandCount; ++b) {
            if (bypassRemembered_[Ch(i)][Ch(b)] != Remembered::ByBypass) continue;
            Resend(param::BandGain(i, b));
            Remember(i, b, Remembered::Nothing, 0);
        }
    });
    const auto newByte = static_cast<uint8_t>(GetParam(param::PassCtrl) & ~mask);
    throttle_.Flush();
    SetParam(param::PassCtrl, newByte);
    throttle_.Flush();
}

// The band-off boxes share the bypass memory, so a band switched off shows
// flat the same way a bypassed one does.
bool ParamDatabase::SwitchBandOff(int channel, int band) {
    if (!ValidChannel(channel) || !ValidBand(band)) return false;
    const auto gain = static_cast<int16_t>(GetParam(param::BandGain(channel, band)));
    if (gain == 0) return false;
    ForEachTarget(channel, [&](int i) { Remember(i, band, Remembered::SwitchedOff, gain); });
    SetBandGain(channel, band, 0);
    return true;
}

bool ParamDatabase::SwitchBandOn(int channel, int band) {
    if (!HasRememberedGain(channel, band)) return false;
    SetBandGain(channel, band, static_cast<uint16_t>(RememberedGain(channel, band)));
    ForEachTarget(channel, [&](int i) { Remember(i, band, Remembered::Nothing, 0); });
    // A band that plays again cannot sit in a bypassed EQ: the bypass ends as
    // an edit ends it. Bands switched off stay so, as a band-off box touches
    // no other band.
    if (GetParam(param::PassCtrl) & TargetChannels(channel)) EndBypassAsShown(channel);
    return true;
}

void ParamDatabase::CopyFromDefault(ChannelRange range) {
    const EffectBlock& def = DefaultEffectBlock();
    for (int o = range.offset; o < range.offset + range.length; ++o) block_.SetByte(o, def.Byte(o));
}

void ParamDatabase::ResetChannel(int channel) {
    const ChannelMask mask = TargetChannels(channel);
    if (!mask) return;
    // Cleared first so the mask is always a change and goes to the box; the
    // box resets the channels itself when it receives it.
    const int resetOffset = FindParam(param::ResetCtrl)->offset;
    block_.SetByte(resetOffset, 0);
    SetParam(param::ResetCtrl, mask);
    throttle_.Flush();
    block_.SetByte(resetOffset, 0);
    ForEachTarget(channel, [&](int i) {
        CopyFromDefault(HighPassRange(i));
        CopyFromDefault(LowPassRange(i));
        CopyFromDefault(BandsRange(i));
        ForgetBypassGains(i);
        RebuildCurve(i);
    });
}

void ParamDatabase::CopyChannel(int from, int to) {
    // Gains the target's own bypass zeroed only on the PC are still in the
    // box: the PC takes them back first, so every copied gain that differs
    // from the box is sent.
    for (int b = 0; b < kBandCount; ++b)
        if (bypassRemembered_[Ch(to)][Ch(b)] == Remembered::ByBypass)
            block_.Set(*FindParam(param::BandGain(to, b)), static_cast<uint16_t>(bypassGain_[Ch(to)][Ch(b)]));
    // Whatever the target remembered belongs to the gains it had before.
    ForgetBypassGains(to);
    auto copy = [&](int fromIndex, int toIndex) { SetParam(toIndex, GetParam(fromIndex)); };
    copy(param::Volume(from), param::Volume(to));
    copy(param::HighPassType(from), param::HighPassType(to));
    copy(param::HighPassFreq(from), param::HighPassFreq(to));
    copy(param::LowPassType(from), param::LowPassType(to));
    copy(param::LowPassFreq(from), param::LowPassFreq(to));
    copy(param::Threshold(from), param::Threshold(to));
    copy(param::Attack(from), param::Attack(to));
    copy(param::Release(from), param::Release(to));
    for (int b = 0; b < kBandCount; ++b) {
        copy(param::BandFreq(from, b), param::BandFreq(to, b));
        copy(param::BandGain(from, b), param::BandGain(to, b));
        copy(param::BandQ(from, b), param::BandQ(to, b));
    }
    // A bypassed target stays bypassed, now over the copied gains: the box
    // gets them first (a flush sends what the image holds then), and the PC
    // zeroes and remembers them as the bypass does, so ending the bypass
    // restores the copy.
    if (GetParam(param::PassCtrl) >> to & 1) {
        throttle_.Flush();
        ZeroGainsForBypass(to);
    }
    RebuildCurve(to);
}

void ParamDatabase::LinkChannel(int channel, int reference) {
    if (!ValidChannel(channel) || !ValidChannel(reference)) return;
    linked_[Ch(channel)] = 1;
    if (channel != reference) {
        CopyChannel(reference, channel);
        return;
    }
    for (int i = 0; i < kChannelCount; ++i)
        if (i != reference && linked_[Ch(i)]) CopyChannel(reference, i);
}

void ParamDatabase::UnlinkChannel(int channel) {
    if (ValidChannel(channel)) linked_[Ch(channel)] = 0;
}

void ParamDatabase::ClearLinks() {
    for (int ch = 0; ch < kChannelCount; ++ch) UnlinkChannel(ch);
}

void ParamDatabase::LinkWithSelection(int channel) {
    if (!IsLinked(selectedChannel_)) selectedChannel_ = channel;
    LinkChannel(channel, selectedChannel_);
}

void ParamDatabase::UnlinkKeepingSelection(int channel) {
    if (channel == selectedChannel_)
        for (int i = 0; i < kChannelCount; ++i)
            if (i != channel && IsLinked(i)) {
                selectedChannel_ = i;
                break;
            }
    UnlinkChannel(channel);
}

void ParamDatabase::Remember(int channel, int band, Remembered why, int gain) {
    bypassRemembered_[Ch(channel)][Ch(band)] = why;
    bypassGain_[Ch(channel)][Ch(band)] = gain;
}

void ParamDatabase::ForgetBypassGains(int channel) {
    bypassRemembered_[Ch(channel)].fill(Remembered::Nothing);
    bypassGain_[Ch(channel)].fill(0);
}

void ParamDatabase::ForgetAllBypassGains() {
    for (int i = 0; i < kChannelCount; ++i) ForgetBypassGains(i);
}

void ParamDatabase::RefreshCrossovers(int channel) {
    if (curves_) curves_->RefreshCrossovers(channel, block_);
}

void ParamDatabase::RebuildCurve(int channel) {
    if (curves_) curves_->RebuildChannel(channel, block_);
}

void ParamDatabase::RebuildCurveModels() {
    for (int i = 0; i < kChannelCount; ++i) RebuildCurve(i);
}

bool ParamDatabase::LoadBlock(const EffectBlock& image) {
    if (&image != &block_) {
        block_ = image;
        ForgetAllBypassGains();
        volumeMemo_.fill(-1);
    }
    DumpParams();
    if (!IsDeviceReady()) return false;
    return SendChunks(block_);
}

void ParamDatabase::DumpParams() {
    for (const ParamRecord& r : Parameters()) {
        const uint16_t v = block_.Get(r);
        Logf(log_, "CarAudio: %16s = %4d(%d) = 0x%04X  (%d bytes)\n", r.name, v, static_cast<int16_t>(v), v,
             r.size);
    }
}

}  // namespace caraudio
