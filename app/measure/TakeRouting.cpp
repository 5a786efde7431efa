#include "TakeRouting.h"

#include <algorithm>

#include "ParameterTable.h"

namespace caraudio::measure {
namespace {

// A mixer level that passes an input at its own level.
constexpr uint16_t kFullMix = 100;
constexpr uint16_t kAllMuted = (1 << kChannelCount) - 1;

}  // namespace

TakeRouting::TakeRouting(ParamDatabase& db) : db_(db) {
    users_.emplace_back(param::MuteCtrl, db.GetParam(param::MuteCtrl));
    for (int n = 0; n < kChannelCount; ++n)
        for (int k = 0; k < kInputCount; ++k)
            users_.emplace_back(param::Input(n, k), db.GetParam(param::Input(n, k)));
}

TakeRouting::~TakeRouting() {
    Send(users_);
}

bool TakeRouting::HearsAnInput(const EffectBlock& image, int block) {
    for (int k = 0; k < kInputCount; ++k)
        if (image.Get(*FindParam(param::Input(block, k))) > 0) return true;
    return false;
}

bool TakeRouting::Route(int block, int sweepInput, std::optional<Reference> reference) {
    // The sweep is mono: a channel that mixes several inputs plays it as it
    // would play the same signal on all of them, up to full level.
    int mix = 0;
    for (int k = 0; k < kInputCount; ++k) mix += db_.GetParam(param::Input(block, k));
    auto row = [&](int n) {
        std::vector<uint16_t> levels(kInputCount, 0);
        if (n == block)
            levels[static_cast<size_t>(sweepInput)] = static_cast<uint16_t>(std::min<int>(mix, kFullMix));
        if (reference && n == reference->block) levels[static_cast<size_t>(reference->input)] = kFullMix;
        return levels;
    };
    std::vector<std::pair<int, uint16_t>> values;
    uint16_t mutes = kAllMuted & ~(1 << block);
    if (reference) mutes &= ~(1 << reference->block);
    values.emplace_back(param::MuteCtrl, mutes);
    for (const int n : {block, reference ? reference->block : block}) {
        const std::vector<uint16_t> levels = row(n);
        for (int k = 0; k < kInputCount; ++k)
            values.emplace_back(param::Input(n, k), levels[static_cast<size_t>(k)]);
    }
    return Send(values);
}

bool TakeRouting::Send(const std::vector<std::pair<int, uint16_t>>& values) {
    for (const auto& [index, value] : values) db_.SetParam(index, value);
    return db_.Pending().Empty() ? db_.Throttle().LastFlushOk() : db_.Throttle().Flush();
}

}  // namespace caraudio::measure
