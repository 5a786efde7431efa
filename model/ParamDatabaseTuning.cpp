// Capturing and restoring the whole tuning, for undo and the A/B comparison.
#include <algorithm>

#include "ParamDatabase.h"

namespace caraudio {
namespace {

bool RangeDiffers(const EffectBlock& a, const EffectBlock& b, ChannelRange r) {
    return !std::equal(a.data() + r.offset, a.data() + r.offset + r.length, b.data() + r.offset);
}

bool FiltersDiffer(const EffectBlock& a, const EffectBlock& b, int channel) {
    return RangeDiffers(a, b, HighPassRange(channel)) || RangeDiffers(a, b, LowPassRange(channel)) ||
           RangeDiffers(a, b, BandsRange(channel));
}

}  // namespace

TuningState ParamDatabase::CaptureTuning() const {
    TuningState s;
    s.block = block_;
    s.remembered = bypassRemembered_;
    s.rememberedGain = bypassGain_;
    s.volumeMemo = volumeMemo_;
    s.linked = linked_;
    return s;
}

void ParamDatabase::RestoreTuning(const TuningState& state) {
    const TuningState before = CaptureTuning();
    if (before == state) return;
    bypassRemembered_ = state.remembered;
    bypassGain_ = state.rememberedGain;
    volumeMemo_ = state.volumeMemo;
    linked_ = state.linked;
    if (IsDeviceReady()) {
        // The frames carry the image's values, so the image is the box's
        // view while they go out: a bypassed channel's gains are still in
        // the box, and zeroing them there would lose the EQ the bypass hides.
        const EffectBlock boxBefore = BoxImage(before);
        block_ = BoxImage(state);
        int differing = 0;
        for (const ParamRecord& r : Parameters()) {
            // The reset mask is a command to the box, never a value to restore.
            if (r.index == param::ResetCtrl || boxBefore.Get(r) == block_.Get(r)) continue;
            pending_.Set(r.index, block_.Get(r));
            ++differing;
        }
        Logf(log_, "CarAudio: RestoreTuning %d parameters differ\n", differing);
        if (!pending_.Empty()) throttle_.Flush();
    }
    block_ = state.block;
    for (int ch = 0; ch < kChannelCount; ++ch)
        if (FiltersDiffer(before.block, block_, ch)) RebuildCurve(ch);
}

}  // namespace caraudio
