#include "GainCompensation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "NumberText.h"
#include "ParamDatabase.h"

namespace caraudio {

std::optional<int> CompensateGain(ParamDatabase& db, int channel, double scale) {
    if (scale > -0.001 && scale <= 0.001) return std::nullopt;
    if (channel < 0 || channel >= kChannelCount) return std::nullopt;
    const double mainDb = db.GetParam(param::MainVol) - 60.0;
    const int volume = db.GetParam(param::Volume(channel));
    const int memo = db.VolumeMemo(channel);
    const double levelDb = (memo != -1 ? memo : volume) - 60.0;
    int largest = 0;
    for (int b = 0; b < kBandCount; ++b)
        if (!db.HasRememberedGain(channel, b))
            largest = std::max<int>(largest, static_cast<int16_t>(db.GetParam(param::BandGain(channel, b))));
    const double boostDb = largest / 100.0;
    int target;
    if (std::abs(levelDb + mainDb) < boostDb) {
        target = std::clamp(TruncToInt(levelDb - scale * (boostDb + mainDb)) + 60, 0, 60);
        if (target == volume) return std::nullopt;
        if (memo == -1) db.SetVolumeMemo(channel, volume);
    } else {
        // The level leaves room for the boost: give back what was taken.
        if (memo == -1 || memo == volume) return std::nullopt;
        target = memo;
    }
    db.SetChannelVolume(channel, static_cast<uint16_t>(target));
    return target;
}

}  // namespace caraudio
