#include "ChannelPlan.h"

#include <cmath>

#include "ChannelCurves.h"
#include "FrequencyGrid.h"
#include "SectionPower.h"
#include "ValueScales.h"

namespace caraudio::emulator {
namespace {

// Bands under this gain are not computed by the response model either.
constexpr double kAudibleGainDb = 0.01;
constexpr double kFullMix = 100;

Section Normalised(const EqFilterRecord& r) {
    return {r.b0 / r.a0, r.b1 / r.a0, r.b2 / r.a0, r.a1 / r.a0, r.a2 / r.a0};
}

bool Bit(const EffectBlock& image, int index, int channel) {
    return (image.Get(*FindParam(index)) >> channel & 1) != 0;
}

double VolumeGain(int raw) {
    return raw == 0 ? 0.0 : std::pow(10.0, (raw + kMinVolumeDb) / 20.0);
}

// The model computes a pass filter only when it is on and in range; one it
// draws nothing for plays nothing.
bool Drawn(const EqFilterRecord& r) {
    for (double db : r.response)
        if (db != 0) return true;
    return false;
}

}  // namespace

ChannelPlan PlanChannel(const EffectBlock& image, int channel) {
    ChannelPlan plan;
    for (int k = 0; k < kInputCount; ++k)
        plan.mix[static_cast<size_t>(k)] = image.Get(*FindParam(param::Input(channel, k))) / kFullMix;
    plan.delaySamples = image.Get(*FindParam(param::Delay(channel)));
    const double sign = Bit(image, param::PhaseCtrl, channel) ? -1.0 : 1.0;
    plan.gain = Bit(image, param::MuteCtrl, channel)
                    ? 0.0
                    : sign * VolumeGain(image.Get(*FindParam(param::Volume(channel)))) *
                          VolumeGain(image.Get(*FindParam(param::MainVol)));

    FrequencyGrid grid;
    grid.Build(20);
    ChannelCurves curves(grid);
    curves.RebuildChannel(channel, image);
    const EqCurveModel& model = curves.Model(channel);
    if (!Bit(image, param::PassCtrl, channel))
        for (int b = 0; b < model.BandCount(); ++b)
            if (std::fabs(model.Filter(b).gain) >= kAudibleGainDb)
                plan.sections.push_back(Normalised(model.Filter(b)));
    for (int index : {model.HighPass(), model.LowPass()}) {
        if (index < 0 || !Drawn(model.Filter(index))) continue;
        const EqFilterRecord& pass = model.Filter(index);
        const double power = pass.gain / -12;
        const int whole = static_cast<int>(std::floor(power));
        for (int i = 0; i < whole; ++i) plan.sections.push_back(Normalised(pass));
        if (power - whole > 0.25) plan.halfSections.push_back(HalfSectionTaps(pass));
    }
    return plan;
}

}  // namespace caraudio::emulator
