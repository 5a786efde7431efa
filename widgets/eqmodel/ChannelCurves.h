#pragma once

#include <array>

#include "CurveModels.h"
#include "EqCurveModel.h"

namespace caraudio {

// The six channels' response models, filled from the parameter image: the
// curve models the ParamDatabase keeps in step with its image.
class ChannelCurves final : public CurveModels {
public:
    explicit ChannelCurves(FrequencyGrid& grid = FrequencyGrid::Shared());

    void RebuildChannel(int channel, const EffectBlock& block) override;
    void RefreshCrossovers(int channel, const EffectBlock& block) override;

    EqCurveModel& Model(int channel) { return models_[static_cast<size_t>(channel)]; }

    // The filling rules, from the channel's parameters.
    static EqFilterInput BandInput(const EffectBlock& block, int channel, int band);
    static std::array<EqFilterInput, EqCurveModel::kBands> BandInputs(const EffectBlock& block, int channel);
    struct PassInput {
        double frequency;
        double slope;  // dB per octave, negative; 0 off
        EqFilterType type;
    };
    static PassInput HighPassInput(const EffectBlock& block, int channel);
    static PassInput LowPassInput(const EffectBlock& block, int channel);

private:
    std::array<EqCurveModel, 6> models_;
};

}  // namespace caraudio
