#include "MeasuredWith.h"

#include <array>
#include <utility>

#include "ChannelCurves.h"

namespace caraudio::analysis {
namespace {

constexpr std::array<std::pair<MeasuredWith, std::string_view>, 3> kWords{
    {{MeasuredWith::Flat, "flat"},
     {MeasuredWith::Crossovers, "crossovers"},
     {MeasuredWith::Current, "current"}}};

void Add(Response& to, const Response& r) {
    for (size_t i = 0; i < to.size(); ++i) to[i] += r[i];
}

}  // namespace

std::string_view MeasuredWithText(MeasuredWith with) {
    for (const auto& [w, text] : kWords)
        if (w == with) return text;
    return kWords[0].second;
}

std::optional<MeasuredWith> ParseMeasuredWith(std::string_view text) {
    for (const auto& [w, word] : kWords)
        if (word == text) return w;
    return std::nullopt;
}

Response PlayedResponse(const PlayedSettings& played, const FrequencyGrid& grid) {
    Response out{};
    if (played.with == MeasuredWith::Flat || played.channel < 0 || played.channel >= kChannelCount)
        return out;
    // The model keeps a grid it may build; this copy is built already.
    FrequencyGrid built = grid;
    ChannelCurves curves(built);
    curves.RebuildChannel(played.channel, played.image);
    const EqCurveModel& model = curves.Model(played.channel);
    if (played.with == MeasuredWith::Current) return model.Curve1();
    for (int index : {model.HighPass(), model.LowPass()})
        if (index >= 0) Add(out, model.Filter(index).response);
    return out;
}

Response PlayedOnGrid(const PlayedSettings& played, const Measurement& m, Smoothing smoothing,
                      const FrequencyGrid& grid) {
    Response out = PlayedResponse(played, grid);
    if (played.with == MeasuredWith::Flat || smoothing == Smoothing::None || m.points.empty()) return out;
    // The grid points the measurement covers, as a curve of their own; its
    // window narrows at the same ends as the measurement's.
    Measurement inside;
    std::array<int, FrequencyGrid::kPoints> at{};
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        if (grid.Hz(i) < m.points.front().hz || grid.Hz(i) > m.points.back().hz) continue;
        at[inside.points.size()] = i;
        inside.points.push_back({grid.Hz(i), out[static_cast<size_t>(i)], 0});
    }
    const Measurement smoothed = SmoothMeasurement(inside, smoothing);
    for (size_t k = 0; k < smoothed.points.size(); ++k)
        out[static_cast<size_t>(at[k])] = smoothed.points[k].db;
    return out;
}

Response SpeakerAlone(const Response& measured, const Response& played) {
    Response out;
    for (size_t i = 0; i < out.size(); ++i) out[i] = measured[i] - played[i];
    return out;
}

Response SpeakerAlone(const Response& measured, const PlayedSettings& played, const FrequencyGrid& grid) {
    return SpeakerAlone(measured, PlayedResponse(played, grid));
}

Response AsMeasured(const Response& speakerAlone, const Response& played) {
    Response out;
    for (size_t i = 0; i < out.size(); ++i) out[i] = speakerAlone[i] + played[i];
    return out;
}

}  // namespace caraudio::analysis
