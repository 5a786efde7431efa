#include "ChannelImport.h"

#include "GainCompensation.h"
#include "ParamDatabase.h"

namespace caraudio::edits {
namespace {

void SetBands(ParamDatabase& db, int channel, const std::array<analysis::BandValues, kBandCount>& bands) {
    for (int b = 0; b < kBandCount; ++b) {
        const analysis::BandValues& band = bands[static_cast<size_t>(b)];
        db.SetBandFreq(channel, b, static_cast<uint16_t>(band.freq));
        db.SetBandQ(channel, b, static_cast<uint16_t>(band.q));
        db.SetBandGain(channel, b, static_cast<uint16_t>(band.gain));
    }
}

}  // namespace

bool ApplyFilterImport(ParamDatabase& db, int channel, const analysis::FilterImportPlan& plan,
                       double compensationScale) {
    if (plan.outcome != analysis::ImportOutcome::Planned) return false;
    SetBands(db, channel, plan.bands);
    if (const auto& hp = plan.highPass) {
        db.SetHighPassFreq(channel, static_cast<uint16_t>(hp->freq));
        db.SetHighPassType(channel, hp->typeField);
        db.SetHighPassSlope(channel, hp->slopeIndex);
    }
    if (const auto& lp = plan.lowPass) {
        db.SetLowPassFreq(channel, static_cast<uint16_t>(lp->freq));
        db.SetLowPassType(channel, lp->typeField);
        db.SetLowPassSlope(channel, lp->slopeIndex);
    }
    db.CancelBypass(channel);
    CompensateGain(db, channel, compensationScale);
    if (plan.volume) {
        db.SetChannelVolume(channel, static_cast<uint16_t>(*plan.volume));
        for (int i = 0; i < kChannelCount; ++i)
            if (db.EditReaches(channel, i)) db.SetVolumeMemo(i, -1);
    }
    return true;
}

void ApplyBands(ParamDatabase& db, int channel, const std::array<analysis::BandValues, kBandCount>& bands,
                double compensationScale) {
    SetBands(db, channel, bands);
    db.CancelBypass(channel);
    CompensateGain(db, channel, compensationScale);
}

}  // namespace caraudio::edits
