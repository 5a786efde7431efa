#include "ChannelCurves.h"

#include "EffectBlock.h"
#include "ValueScales.h"

namespace caraudio {
namespace {

EqFilterType PassType(uint8_t typeByte) {
    switch (CrossoverTypeField(typeByte)) {
    case 1:
        return EqFilterType::Bessel;
    case 2:
        return EqFilterType::Linkwitz;
    default:
        return EqFilterType::Butterworth;  // 0, and 3 which the lists do not offer
    }
}

ChannelCurves::PassInput Pass(const EffectBlock& block, int typeIndex, int freqIndex) {
    const auto typeByte = static_cast<uint8_t>(block.Get(*FindParam(typeIndex)));
    // Slope indexes past "OFF" have no slope of their own: off.
    return {static_cast<double>(block.Get(*FindParam(freqIndex))),
            static_cast<double>(SlopeDbPerOctave(CrossoverSlopeField(typeByte))), PassType(typeByte)};
}

}  // namespace

ChannelCurves::ChannelCurves(FrequencyGrid& grid)
    : models_{EqCurveModel(grid), EqCurveModel(grid), EqCurveModel(grid),
              EqCurveModel(grid), EqCurveModel(grid), EqCurveModel(grid)} {}

EqFilterInput ChannelCurves::BandInput(const EffectBlock& block, int channel, int band) {
    EqFilterInput in;
    in.role = EqFilterRole::Band;
    in.type = EqFilterType::Peaking;
    in.frequency = block.Get(*FindParam(param::BandFreq(channel, band)));
    in.gain = static_cast<int16_t>(block.Get(*FindParam(param::BandGain(channel, band)))) / 100.0;
    // A third of the Q shown to the user (raw / 100).
    in.q = in.shelfFactor = block.Get(*FindParam(param::BandQ(channel, band))) / 300.0;
    return in;
}

std::array<EqFilterInput, EqCurveModel::kBands> ChannelCurves::BandInputs(const EffectBlock& block,
                                                                          int channel) {
    std::array<EqFilterInput, EqCurveModel::kBands> bands;
    for (int b = 0; b < EqCurveModel::kBands; ++b)
        bands[static_cast<size_t>(b)] = BandInput(block, channel, b);
    return bands;
}

ChannelCurves::PassInput ChannelCurves::HighPassInput(const EffectBlock& block, int channel) {
    return Pass(block, param::HighPassType(channel), param::HighPassFreq(channel));
}

ChannelCurves::PassInput ChannelCurves::LowPassInput(const EffectBlock& block, int channel) {
    return Pass(block, param::LowPassType(channel), param::LowPassFreq(channel));
}

namespace {

bool Same(const EqCurveModel& m, int index, const ChannelCurves::PassInput& in) {
    if (index < 0) return false;
    const EqFilterRecord& r = m.Filter(index);
    return r.frequency == in.frequency && r.gain == in.slope && r.type == in.type;
}

}  // namespace

void ChannelCurves::RebuildChannel(int channel, const EffectBlock& block) {
    if (channel < 0 || channel >= 6) return;
    EqCurveModel& m = Model(channel);
    const auto bands = BandInputs(block, channel);
    if (!m.SetAllBands(bands)) m.InitBands(bands);
    const PassInput hp = HighPassInput(block, channel);
    const PassInput lp = LowPassInput(block, channel);
    m.SetHighPass(hp.frequency, hp.slope, 1.0, hp.type);
    m.SetLowPass(lp.frequency, lp.slope, 1.0, lp.type);
    m.SetCurrent(-1);  // a reloaded channel has nothing highlighted
}

// Only a filter whose parameters changed is set again, so the one just edited
// is the one highlighted.
void ChannelCurves::RefreshCrossovers(int channel, const EffectBlock& block) {
    if (channel < 0 || channel >= 6) return;
    EqCurveModel& m = Model(channel);
    if (!m.HasRecords()) return RebuildChannel(channel, block);
    const PassInput hp = HighPassInput(block, channel);
    const PassInput lp = LowPassInput(block, channel);
    if (!Same(m, m.HighPass(), hp)) m.SetHighPass(hp.frequency, hp.slope, 1.0, hp.type);
    if (!Same(m, m.LowPass(), lp)) m.SetLowPass(lp.frequency, lp.slope, 1.0, lp.type);
}

}  // namespace caraudio
