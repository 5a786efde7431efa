#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "GraphicEq.h"

namespace caraudio::analysis {

// What a filter line asks for. Only Peaking, HighPass and LowPass have a
// counterpart in the box; shelves and graphic EQ curves are followed by bands.
enum class FilterKind {
    Peaking,
    HighPass,
    LowPass,
    LowShelf,
    HighShelf,
    Notch,
    AllPass,
    Modal,
    GraphicEq,
    Other
};

// One filter line of a filter set, as the file gives it.
struct FilterLine {
    int lineNumber = 0;  // 1-based
    std::string text;    // the line, trimmed
    bool on = true;
    FilterKind kind = FilterKind::Other;
    std::string type;  // as written: "PK", "LS 6dB", "GraphicEQ"
    int order = 0;     // pass filters: 1 or 2; 0 for the others
    bool hasFc = false, hasGain = false, hasQ = false;
    double fcHz = 0;
    double gainDb = 0;
    // The cookbook Q (alpha = sin(w0) / 2Q), also when the file gives a
    // bandwidth. Second-order pass filters without one get 1/sqrt(2).
    double q = 0;
    // Shelves: the slope some type codes name ("LS 6dB", "LSC 10.8 dB").
    bool hasSlope = false;
    double slopeDb = 0;
    std::vector<GraphicEqPoint> graphicEq;  // GraphicEq: its points by frequency
    int section = -1;                       // index into FilterSet::channelLines; -1 before any
};

enum class ReadStatus {
    Ok,
    Empty,          // nothing but blanks
    TooLarge,       // more than kMaxFilterSetBytes or kMaxFilterSetLines
    NotAFilterSet,  // no filter line at all
    BadLine,        // a line that looks like a filter line but cannot be read
};

enum class FilterSetFormat { Unknown, RewFilterSettings, EqualizerApo, AutoEq };

struct PreampLine {
    int lineNumber = 0;
    double db = 0;
    int section = -1;
};

struct FilterSet {
    ReadStatus status = ReadStatus::Empty;
    // The first line that could not be read (1-based; 0 when the status is
    // about the whole file) and its text, trimmed and shortened.
    int errorLine = 0;
    std::string errorText;
    FilterSetFormat format = FilterSetFormat::Unknown;
    double preampDb = 0;  // every Preamp line added up
    std::vector<PreampLine> preamps;
    // Filters in file order; empty slots ("None") are left out.
    std::vector<FilterLine> filters;
    // The names on each "Channel:" line, in file order.
    std::vector<std::vector<std::string>> channelLines;
    // Every channel name the file uses, once, in order of first use; "all"
    // is not a section of its own.
    std::vector<std::string> sections;

    bool Ok() const { return status == ReadStatus::Ok; }
};

inline constexpr std::size_t kMaxFilterSetBytes = std::size_t{1} << 20;
inline constexpr std::size_t kMaxFilterSetLines = 20000;

// Reads REW filter settings, an Equalizer APO configuration or an AutoEQ
// ParametricEQ.txt, told apart by their content. Any bytes are accepted.
FilterSet ReadFilterSet(std::string_view bytes);

// The filters that apply to one section: lines before any "Channel:" line
// and lines under a "Channel:" line naming the section or "all". Names
// compare without case. Without sections, every filter.
std::vector<FilterLine> FiltersForSection(const FilterSet& set, std::string_view section);
double PreampForSection(const FilterSet& set, std::string_view section);

}  // namespace caraudio::analysis
