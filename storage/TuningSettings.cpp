#include "TuningSettings.h"

#include <algorithm>

#include "Settings.h"

namespace caraudio::storage {
namespace {

constexpr std::string_view kParam = "param";
constexpr std::string_view kAlert = "alert";

// A limit past what a raw gain holds would let a typed gain wrap round to
// the opposite sign in the box.
int GainLimit(long db) {
    return static_cast<int>(std::clamp<long>(db, -kMaxGainLimitDb, kMaxGainLimitDb));
}

}  // namespace

TuningSettings ParseTuningSettings(std::string_view text) {
    IniDocument doc;
    doc.Parse(text);
    TuningSettings t;
    t.scale = static_cast<double>(doc.GetInt(kParam, "scale", 0)) / 100.0;
    t.id1 = static_cast<uint32_t>(doc.GetInt(kParam, "id1", 0));
    t.id2 = static_cast<uint32_t>(doc.GetInt(kParam, "id2", 0));
    t.maxvol = GainLimit(doc.GetInt(kParam, "maxvol", 20));
    t.minvol = GainLimit(doc.GetInt(kParam, "minvol", -20));
    t.showFreqId = static_cast<int>(doc.GetInt(kParam, "ShowFreqID", 1));
    t.alertDelay = static_cast<int>(doc.GetInt(kAlert, "delay", 8000));
    t.alertEnable = static_cast<int>(doc.GetInt(kAlert, "enable", 0));
    t.alertMessage = doc.GetText(kAlert, "msg", kDefaultAlertMessage);
    return t;
}

TuningSettings LoadTuningSettings(const std::vector<std::string>& folders, std::string* found,
                                  std::vector<RefusedFile>* refused) {
    for (const std::string& folder : folders) {
        const std::string path = folder + "/" + kTuningFileName;
        std::string text;
        const ReadResult read = ReadFile(path, text, kMaxTuningFileBytes);
        if (!read.Ok()) {
            if (refused && read.status != ReadStatus::Missing) refused->push_back({path, read});
            continue;
        }
        if (found) *found = path;
        return ParseTuningSettings(text);
    }
    if (found) found->clear();
    return ParseTuningSettings({});
}

}  // namespace caraudio::storage
