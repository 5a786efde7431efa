#include "MeasurementIndex.h"

#include <cstdio>
#include <cstdlib>

#include "ProfileText.h"

namespace caraudio::measure {
namespace {

constexpr std::string_view kSection = "Measurement";

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", v);
    return text;
}

// The number in section/key; `fallback` where it is missing or no number.
double NumberIn(std::string_view text, std::string_view section, std::string_view key, double fallback) {
    const std::optional<std::string> v = storage::ReadProfileValue(text, section, key);
    if (!v || v->empty()) return fallback;
    char* end = nullptr;
    const double d = std::strtod(v->c_str(), &end);
    return end && *end == '\0' ? d : fallback;
}

}  // namespace

std::string MeasurementIndexText(const MeasurementIndex& index) {
    std::string text;
    auto set = [&text](std::string_view section, std::string_view key, const std::string& value) {
        text = storage::WriteProfileValue(text, section, key, value);
    };
    set(kSection, "When", index.when);
    set(kSection, "MeasuredWith", "current");
    set(kSection, "Timing", index.timing);
    set(kSection, "SweepLowHz", Number(index.sweepLowHz));
    set(kSection, "SweepHighHz", Number(index.sweepHighHz));
    set(kSection, "SweepSeconds", Number(index.sweepSeconds));
    set(kSection, "LevelDbfs", Number(index.levelDbfs));
    set(kSection, "Repeats", std::to_string(index.repeats));
    set(kSection, "Calibration", index.calibration);
    std::string labels;
    for (const MeasuredChannel& c : index.channels) labels += (labels.empty() ? "" : ",") + c.label;
    set(kSection, "Channels", labels);
    for (const MeasuredChannel& c : index.channels) {
        set(c.label, "Impulse", c.impulseFile);
        set(c.label, "Text", c.textFile);
        set(c.label, "SnrDb", Number(c.snrDb));
        set(c.label, "PeakDbfs", Number(c.peakDbfs));
        set(c.label, "ArrivalMs", Number(c.arrivalMs));
        set(c.label, "DriftPpm", Number(c.driftPpm));
    }
    return text;
}

std::optional<MeasurementIndex> ReadMeasurementIndex(std::string_view text) {
    const std::optional<std::string> labels = storage::ReadProfileValue(text, kSection, "Channels");
    if (!labels) return std::nullopt;
    MeasurementIndex index;
    index.when = storage::ReadProfileValue(text, kSection, "When").value_or("");
    index.timing = storage::ReadProfileValue(text, kSection, "Timing").value_or("");
    index.calibration = storage::ReadProfileValue(text, kSection, "Calibration").value_or("");
    index.sweepLowHz = NumberIn(text, kSection, "SweepLowHz", index.sweepLowHz);
    index.sweepHighHz = NumberIn(text, kSection, "SweepHighHz", index.sweepHighHz);
    index.sweepSeconds = NumberIn(text, kSection, "SweepSeconds", index.sweepSeconds);
    index.levelDbfs = NumberIn(text, kSection, "LevelDbfs", index.levelDbfs);
    index.repeats = static_cast<int>(NumberIn(text, kSection, "Repeats", index.repeats));
    for (size_t from = 0; from < labels->size();) {
        size_t comma = labels->find(',', from);
        if (comma == std::string::npos) comma = labels->size();
        MeasuredChannel c;
        c.label = labels->substr(from, comma - from);
        from = comma + 1;
        if (c.label.empty()) continue;
        c.impulseFile = storage::ReadProfileValue(text, c.label, "Impulse").value_or("");
        c.textFile = storage::ReadProfileValue(text, c.label, "Text").value_or("");
        c.snrDb = NumberIn(text, c.label, "SnrDb", 0);
        c.peakDbfs = NumberIn(text, c.label, "PeakDbfs", 0);
        c.arrivalMs = NumberIn(text, c.label, "ArrivalMs", 0);
        c.driftPpm = NumberIn(text, c.label, "DriftPpm", 0);
        index.channels.push_back(std::move(c));
    }
    return index;
}

}  // namespace caraudio::measure
