#pragma once

#include <QString>
#include <array>
#include <optional>

#include "EffectBlock.h"
#include "ImpulseResponse.h"
#include "LevelAlignment.h"
#include "MeasuredWith.h"
#include "SeatChannel.h"

namespace caraudio::app {

// The impulse responses loaded for the channels (by block) in this
// session, what played while they were measured, and which of them the
// editor sums: the tune window fills it, the editor draws their predicted
// sum at the seat through the settings of the moment.
class ChannelImpulses {
public:
    struct Loaded {
        QString file;
        analysis::ImpulseResponse response;
    };
    using Set = std::array<std::optional<Loaded>, 6>;

    const Set& Responses() const { return loaded_; }
    analysis::MeasuredWith With() const { return with_; }
    // A new set, as the tune window leaves it, measured through `played`
    // (the settings when they were loaded); the same files measured the same
    // way keep the settings they were first taken with. The sum keeps the
    // channels that are still loaded.
    void Take(Set loaded, analysis::MeasuredWith with, const EffectBlock& played);

    bool InSum(int block) const { return inSum_[static_cast<size_t>(block)]; }
    void SetInSum(int block, bool on);
    // A channel with a response is in the sum.
    bool SumShown() const;
    // The channels summed, "CH1 + CH3".
    QString SumChannels() const;
    // Their sum at the seat through the settings in `image`, smoothed to 1/6
    // octave and moved onto the target over the reference range; the
    // speakers alone are worked out once per set.
    Response SumOnGrid(const EffectBlock& image, const Response& target, analysis::ReferenceRange range);

private:
    Set loaded_;
    analysis::MeasuredWith with_ = analysis::MeasuredWith::Flat;
    EffectBlock played_;
    std::array<bool, 6> inSum_{};
    std::array<std::optional<analysis::SeatChannel>, 6> seat_;
};

}  // namespace caraudio::app
