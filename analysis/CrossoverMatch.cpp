#include "CrossoverMatch.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "ChannelCurves.h"
#include "EditorGrid.h"
#include "ValueScales.h"

namespace caraudio::analysis {
namespace {

// Below this both curves are far under the pass band; a difference there is
// not heard, and without a floor the last points next to the zeros at 0 Hz
// and at half the sample rate would decide the match.
constexpr double kFloorDb = -60;
// Only what is heard counts: above 20 kHz a low-pass the file puts at the
// top of the band and the box's, which is off there, part ways for nothing.
constexpr double kLowestHeardHz = 20, kHighestHeardHz = 20000;

}  // namespace

CrossoverMatch MatchCrossover(PassSide side, int order, double q, int freqRaw, const EffectBlock& image,
                              int channel) {
    FrequencyGrid& grid = EditorGrid();
    std::array<double, FrequencyGrid::kPoints> wanted{};
    for (int i = 0; i < FrequencyGrid::kPoints; ++i)
        wanted[static_cast<std::size_t>(i)] = std::max(kFloorDb, PassDb(side, order, freqRaw, q, grid.Hz(i)));

    const bool high = side == PassSide::High;
    const ParamRecord& typeParam =
        *FindParam(high ? param::HighPassType(channel) : param::LowPassType(channel));
    const ParamRecord& freqParam =
        *FindParam(high ? param::HighPassFreq(channel) : param::LowPassFreq(channel));
    EffectBlock candidate = image;
    candidate.Set(freqParam, static_cast<uint16_t>(freqRaw));
    EqCurveModel model(grid);
    model.InitBands(ChannelCurves::BandInputs(candidate, channel));

    CrossoverMatch best{0, 0, HUGE_VAL};
    for (int type = 0; type < kCrossoverTypeCount; ++type) {
        for (int slope = 0; slope < kSlopeOff; ++slope) {
            const auto byte = static_cast<uint8_t>(candidate.Get(typeParam));
            candidate.Set(typeParam, WithCrossoverType(WithCrossoverSlope(byte, slope), type));
            // The same filling rules the editor's curves follow.
            const ChannelCurves::PassInput in = high ? ChannelCurves::HighPassInput(candidate, channel)
                                                     : ChannelCurves::LowPassInput(candidate, channel);
            if (high)
                model.SetHighPass(in.frequency, in.slope, 1.0, in.type);
            else
                model.SetLowPass(in.frequency, in.slope, 1.0, in.type);
            const Response& got = model.Filter(high ? model.HighPass() : model.LowPass()).response;
            double sum = 0;
            int counted = 0;
            for (std::size_t i = 0; i < wanted.size(); ++i) {
                const double hz = grid.Hz(static_cast<int>(i));
                if (hz < kLowestHeardHz || hz > kHighestHeardHz) continue;
                const double d = std::max(kFloorDb, got[i]) - wanted[i];
                sum += d * d;
                ++counted;
            }
            const double rms = counted > 0 ? std::sqrt(sum / counted) : HUGE_VAL;
            if (rms < best.rmsDb) best = {type, slope, rms};
        }
    }
    return best;
}

}  // namespace caraudio::analysis
