#include "MeasurementSetup.h"

#include <QString>
#include <optional>

#include "ChannelSettingsText.h"
#include "Settings.h"
#include "ValueScales.h"

namespace caraudio::app {

namespace {

using analysis::TargetKind;

constexpr std::pair<TargetKind, std::string_view> kTargetWords[] = {
    {TargetKind::Flat, "Flat"}, {TargetKind::House, "House"}, {TargetKind::File, "File"}};

// Keys carry the channel's name as the user sees it, not the block's index.
std::string Key(int channel, std::string_view name) {
    return ChannelLabel(channel) + "." + std::string(name);
}

// Numbers are written and read without the locale: "0.5" everywhere.
std::optional<double> Number(const storage::IniDocument& doc, int channel, std::string_view name) {
    bool ok = false;
    const double v = QString::fromStdString(doc.GetText(storage::key::kMeasurement, Key(channel, name)))
                         .trimmed()
                         .toDouble(&ok);
    if (!ok) return std::nullopt;
    return v;
}

void SetNumber(storage::IniDocument& doc, int channel, std::string_view name, double v) {
    doc.SetText(storage::key::kMeasurement, Key(channel, name), QString::number(v, 'g', 10).toStdString());
}

bool Flag(const storage::IniDocument& doc, int channel, std::string_view name) {
    return doc.GetInt(storage::key::kMeasurement, Key(channel, name), 1) != 0;
}

}  // namespace

std::string SettingsAtLoadKey(int channel) {
    return Key(channel, storage::key::kSettingsAtLoad);
}

analysis::PlayedSettings PlayedThrough(const MeasurementSetup& setup, int channel) {
    if (!setup.settingsAtLoad) return {analysis::MeasuredWith::Flat, channel, {}};
    return {setup.measuredWith, channel, *setup.settingsAtLoad};
}

bool ReferenceRangeAccepted(const analysis::ReferenceRange& range) {
    return range.lowHz >= 20 && range.highHz <= 20000 && range.lowHz < range.highHz;
}

MeasurementSetup LoadMeasurementSetup(const storage::IniDocument& doc, int channel) {
    using namespace storage::key;
    MeasurementSetup s;
    s.file = doc.GetText(kMeasurement, Key(channel, kMeasurementFile));
    if (!s.file.empty()) s.column = doc.GetText(kMeasurement, Key(channel, kMeasurementColumn));
    // A damaged or missing snapshot loses only what the measurement was
    // taken through: it is taken as flat until the user chooses again.
    const std::string atLoad = doc.GetText(kMeasurement, Key(channel, kSettingsAtLoad));
    if (EffectBlock image; storage::DecodeChannelSettings(atLoad, channel, image)) s.settingsAtLoad = image;
    const auto with = analysis::ParseMeasuredWith(doc.GetText(kMeasurement, Key(channel, kMeasuredWith)));
    if (!s.file.empty()) {
        s.settingsLost = (!atLoad.empty() && !s.settingsAtLoad) ||
                         (with && *with != analysis::MeasuredWith::Flat && !s.settingsAtLoad);
        if (with && !s.settingsLost) s.measuredWith = *with;
    }
    if (const auto smoothing = analysis::ParseSmoothing(doc.GetText(kMeasurement, Key(channel, kSmoothing))))
        s.smoothing = *smoothing;
    const analysis::ReferenceRange range{Number(doc, channel, kReferenceLowHz).value_or(-1),
                                         Number(doc, channel, kReferenceHighHz).value_or(-1)};
    if (ReferenceRangeAccepted(range)) s.range = range;
    const std::string target = doc.GetText(kMeasurement, Key(channel, kTarget));
    for (const auto& [kind, word] : kTargetWords)
        if (target == word) s.target = kind;
    analysis::HouseCurve house;
    house.bassDb = Number(doc, channel, kBassLiftDb).value_or(house.bassDb);
    house.bassHz = Number(doc, channel, kBassLiftHz).value_or(house.bassHz);
    house.tiltDbPerDecade = Number(doc, channel, kTiltDbPerDecade).value_or(house.tiltDbPerDecade);
    house.tiltFromHz = Number(doc, channel, kTiltFromHz).value_or(house.tiltFromHz);
    if (analysis::HouseCurveInRange(house)) s.house = house;
    s.targetFile = doc.GetText(kMeasurement, Key(channel, kTargetFile));
    // A file target without its file would have nothing to draw.
    if (s.target == TargetKind::File && s.targetFile.empty()) s.target = TargetKind::Flat;
    s.showMeasured = Flag(doc, channel, kShowMeasured);
    s.showPredicted = Flag(doc, channel, kShowPredicted);
    s.showTarget = Flag(doc, channel, kShowTarget);
    return s;
}

void StoreMeasurementSetup(storage::IniDocument& doc, int channel, const MeasurementSetup& s) {
    using namespace storage::key;
    doc.SetText(kMeasurement, Key(channel, kMeasurementFile), s.file);
    doc.SetText(kMeasurement, Key(channel, kMeasurementColumn), s.column);
    doc.SetText(kMeasurement, Key(channel, kMeasuredWith), analysis::MeasuredWithText(s.measuredWith));
    doc.SetText(
        kMeasurement, Key(channel, kSettingsAtLoad),
        s.settingsAtLoad ? storage::EncodeChannelSettings(*s.settingsAtLoad, channel) : std::string());
    doc.SetText(kMeasurement, Key(channel, kSmoothing), analysis::SmoothingText(s.smoothing));
    SetNumber(doc, channel, kReferenceLowHz, s.range.lowHz);
    SetNumber(doc, channel, kReferenceHighHz, s.range.highHz);
    for (const auto& [kind, word] : kTargetWords)
        if (s.target == kind) doc.SetText(kMeasurement, Key(channel, kTarget), word);
    SetNumber(doc, channel, kBassLiftDb, s.house.bassDb);
    SetNumber(doc, channel, kBassLiftHz, s.house.bassHz);
    SetNumber(doc, channel, kTiltDbPerDecade, s.house.tiltDbPerDecade);
    SetNumber(doc, channel, kTiltFromHz, s.house.tiltFromHz);
    doc.SetText(kMeasurement, Key(channel, kTargetFile), s.targetFile);
    doc.SetInt(kMeasurement, Key(channel, kShowMeasured), s.showMeasured);
    doc.SetInt(kMeasurement, Key(channel, kShowPredicted), s.showPredicted);
    doc.SetInt(kMeasurement, Key(channel, kShowTarget), s.showTarget);
}

}  // namespace caraudio::app
