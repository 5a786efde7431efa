// Measurement files from anywhere, in any encoding and with any columns:
// reading never crashes, whatever it accepts keeps the promises the overlay
// relies on, through smoothing, the grid and the level alignment, and the
// same text in UTF-16 reads as it does in UTF-8.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "EditorGrid.h"
#include "FuzzCheck.h"
#include "GridInterpolation.h"
#include "LevelAlignment.h"
#include "Measurement.h"
#include "Smoothing.h"

using namespace caraudio;
using namespace caraudio::analysis;

namespace {

void CheckPoints(const Measurement& m) {
    FUZZ_CHECK(m.points.size() >= 2);
    FUZZ_CHECK(m.points.size() <= MeasurementLimits{}.points);
    for (size_t i = 0; i < m.points.size(); ++i) {
        FUZZ_CHECK(std::isfinite(m.points[i].hz) && m.points[i].hz > 0);
        FUZZ_CHECK(std::fabs(m.points[i].db) <= kMaxMeasurementLevelDb);
        if (i > 0) FUZZ_CHECK(m.points[i].hz > m.points[i - 1].hz);
    }
}

void CheckSource(const MeasurementRead& r, const ColumnChoice& choice) {
    if (r.status == MeasurementStatus::NoSuchColumn) {
        FUZZ_CHECK(!choice.column.empty());  // the automatic choice always finds one
        FUZZ_CHECK(!r.source.columns.empty());
    }
    if (r.status != MeasurementStatus::Read) {
        FUZZ_CHECK(r.measurement.points.empty());
        FUZZ_CHECK(r.line >= 0);
        return;
    }
    FUZZ_CHECK(r.source.column >= 0 && static_cast<size_t>(r.source.column) < r.source.columns.size());
    FUZZ_CHECK(r.source.endLine >= 0);
    FUZZ_CHECK((r.source.endLine == 0) == r.source.endText.empty());
    CheckPoints(r.measurement);
}

// Plain ASCII as a Windows program saves it: UTF-16 with a byte-order mark.
std::string Utf16(std::string_view ascii) {
    std::string s = "\xFF\xFE";
    for (const char c : ascii) {
        s += c;
        s += '\0';
    }
    return s;
}

bool PlainAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c > 0 && static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // The other curves a file may hold, by number and by name.
    const ColumnChoice choices[] = {{"2"}, {"smoothed"}, {"", CurveRole::Target}};
    for (const ColumnChoice& choice : choices) CheckSource(ReadMeasurement(text, {}, choice), choice);
    const MeasurementRead r = ReadMeasurement(text);
    CheckSource(r, {});
    if (size < 4096 && PlainAscii(text)) {
        const MeasurementRead wide = ReadMeasurement(Utf16(text));
        FUZZ_CHECK(wide.status == r.status);
        FUZZ_CHECK(wide.line == r.line && wide.lineText == r.lineText);
        FUZZ_CHECK(wide.measurement.points.size() == r.measurement.points.size());
    }
    if (r.status != MeasurementStatus::Read) return 0;
    const Measurement& m = r.measurement;
    double lo = m.points[0].db, hi = lo;
    double closest = INFINITY;  // the smallest step between points in log2 frequency
    for (size_t i = 0; i < m.points.size(); ++i) {
        lo = std::min(lo, m.points[i].db);
        hi = std::max(hi, m.points[i].db);
        if (i > 0) closest = std::min(closest, std::log2(m.points[i].hz) - std::log2(m.points[i - 1].hz));
    }
    // Averages and straight lines stay between the lowest and highest level,
    // but for rounding: smoothing takes the difference of two running sums of
    // up to (hi - lo) times the octaves covered, over a window no narrower
    // than the closest step or the narrowest window (1/48 octave).
    const double octaves = std::log2(m.points.back().hz) - std::log2(m.points.front().hz);
    const double narrowest = std::min(closest, 0.5 / 48);
    const double slack = narrowest > 0 ? 1e-9 + 64 * 2.3e-16 * (hi - lo) * octaves / narrowest : INFINITY;
    for (Smoothing s : {Smoothing::None, Smoothing::Octave48, Smoothing::Octave3}) {
        const Measurement smoothed = SmoothMeasurement(m, s);
        FUZZ_CHECK(smoothed.points.size() == m.points.size());
        for (const MeasuredPoint& p : smoothed.points)
            FUZZ_CHECK(std::isfinite(p.db) && p.db >= lo - slack && p.db <= hi + slack);
        const Response grid = InterpolateOntoGrid(smoothed, EditorGrid());
        for (double db : grid)
            if (!std::isnan(db)) FUZZ_CHECK(db >= lo - slack && db <= hi + slack);
    }
    const Response measured = InterpolateOntoGrid(m, EditorGrid());
    Response flat{};
    const LevelAlignment a = AlignLevel(measured, flat, EditorGrid());
    FUZZ_CHECK(a.status != LevelAlignment::Status::BadRange);
    return 0;
}
