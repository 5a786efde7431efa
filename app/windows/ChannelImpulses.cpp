#include "ChannelImpulses.h"

#include <QStringList>
#include <algorithm>

#include "AutoEq.h"
#include "CarTune.h"
#include "EditorGrid.h"
#include "ValueScales.h"

namespace caraudio::app {

void ChannelImpulses::Take(Set loaded, analysis::MeasuredWith with, const EffectBlock& played) {
    auto same = [](const std::optional<Loaded>& a, const std::optional<Loaded>& b) {
        return a.has_value() == b.has_value() && (!a || a->file == b->file);
    };
    // The same files again were measured through the settings of their
    // first loading, whatever was tuned since.
    if (with == with_ && std::equal(loaded.begin(), loaded.end(), loaded_.begin(), same)) return;
    loaded_ = std::move(loaded);
    with_ = with;
    played_ = played;
    seat_ = {};
    for (size_t b = 0; b < inSum_.size(); ++b) inSum_[b] = inSum_[b] && loaded_[b];
}

void ChannelImpulses::SetInSum(int block, bool on) {
    inSum_[static_cast<size_t>(block)] = on && loaded_[static_cast<size_t>(block)];
}

bool ChannelImpulses::SumShown() const {
    for (size_t b = 0; b < inSum_.size(); ++b)
        if (inSum_[b] && loaded_[b]) return true;
    return false;
}

QString ChannelImpulses::SumChannels() const {
    QStringList names;
    for (int number = 1; number <= 6; ++number)
        if (InSum(BlockOfChannel(number)))
            names << QString::fromStdString(ChannelLabel(BlockOfChannel(number)));
    return names.join(" + ");
}

Response ChannelImpulses::SumOnGrid(const EffectBlock& image, const Response& target,
                                    analysis::ReferenceRange range) {
    const FrequencyGrid& grid = analysis::EditorGrid();
    std::vector<analysis::SeatChannel> summed;
    for (int b = 0; b < 6; ++b) {
        const auto k = static_cast<size_t>(b);
        if (!inSum_[k] || !loaded_[k]) continue;
        if (!seat_[k])
            seat_[k] = analysis::SeatChannelFromImpulse(loaded_[k]->response, {with_, b, played_},
                                                        analysis::Side::Unknown, grid)
                           .channel;
        summed.push_back(*seat_[k]);
    }
    Response sum = analysis::SixthOctaveOnGrid(analysis::LevelsDb(analysis::CarSum(summed, image)));
    const analysis::LevelAlignment level = analysis::AlignLevel(sum, target, grid, range);
    for (double& db : sum)
        db += level.status == analysis::LevelAlignment::Status::Aligned ? level.offsetDb : 0;
    return sum;
}

}  // namespace caraudio::app
