#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "GraphicEq.h"

namespace caraudio::analysis {

// What a filter line asks for. Only Peaking, HighPass and LowPass have a
// counterpart in the box; shelves and graphic EQ curves are followed by
// bands; Command is a configuration line (Copy:, Eval:, Device:, an
// Include: that could not be followed, ...) that the box has nothing for.
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
    Other,
    Command
};

// Why a Command line was not followed.
enum class CommandNote {
    Config,              // Copy:, Delay:, Device:, Eval:, Stage:, If: ... : nothing the box has
    IncludeNotFollowed,  // no way to read other files was given
    IncludeMissing,
    IncludeUnreadable,
    IncludeNotText,
    IncludeTooLarge,
    IncludeLoop,      // the file includes itself, through others or not
    IncludeTooDeep,   // more than kMaxIncludeDepth levels
    IncludeTooMany,   // more than kMaxIncludedFiles in all
    IncludeAbsolute,  // "C:\...", "/..."; only paths beside the file are looked for
};

// One filter line of a filter set, as the file gives it.
struct FilterLine {
    int lineNumber = 0;  // 1-based, in `file`
    // The included file the line is in, relative to the folder of the file
    // read; empty for that file itself.
    std::string file;
    std::string text;  // the line, trimmed
    bool on = true;
    FilterKind kind = FilterKind::Other;
    std::string type;  // as written: "PK", "LS 6dB", "GraphicEQ", "Copy"
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
    std::vector<GraphicEqPoint> graphicEq;   // GraphicEq: its points by frequency
    int section = -1;                        // index into FilterSet::channelLines; -1 before any
    CommandNote note = CommandNote::Config;  // Command lines: why the line was not followed
    std::string includePath;                 // Include: lines: the file looked for
};

enum class ReadStatus {
    Ok,
    Empty,          // nothing but blanks
    TooLarge,       // more than kMaxFilterSetBytes or kMaxFilterSetLines
    NotText,        // a binary file
    NotAFilterSet,  // no filter line at all
    BadLine,        // a line that looks like a filter line but cannot be read
};

// Why a line could not be read.
enum class LineProblem {
    None,
    NotAFilterLine,  // text among the filter lines
    NoColon,         // "Filter 3 ON PK ..."
    NoOnOff,         // no ON or OFF after "Filter N:"
    MissingValue,    // a key without its value, or a value the filter needs left out
    UnknownField,    // a field a filter of this type does not have
    BadNumber,       // a value that is not a number
    BadPreamp,
    BadChannel,  // "Channel:" naming nothing
};

enum class FilterSetFormat { Unknown, RewFilterSettings, RewFilterTable, EqualizerApo, AutoEq };

struct PreampLine {
    int lineNumber = 0;
    double db = 0;
    int section = -1;
};

struct FilterSet {
    ReadStatus status = ReadStatus::Empty;
    // The first line that could not be read (1-based; 0 when the status is
    // about the whole file), the included file it is in (empty: the file
    // read), its text, trimmed and shortened, and why.
    int errorLine = 0;
    std::string errorFile;
    std::string errorText;
    LineProblem problem = LineProblem::None;
    std::string encoding;  // what the file was written in: "UTF-8", "UTF-16", "Latin-1 (Windows-1252)"
    FilterSetFormat format = FilterSetFormat::Unknown;
    double preampDb = 0;  // every Preamp line added up
    std::vector<PreampLine> preamps;
    // Filters in file order (an included file's where its Include: line
    // stands); empty slots ("None") are left out.
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
// Include: lines followed in one file and below it; deeper ones are listed
// as not followed.
inline constexpr int kMaxIncludeDepth = 4;
inline constexpr int kMaxIncludedFiles = 32;

// The bytes of a file an Include: line names, fetched by the caller (who
// owns the policy of reading files). `path` is the including file's folder
// joined with the line's relative path.
enum class IncludeRead { Read, Missing, Unreadable, TooLarge };
struct IncludedBytes {
    IncludeRead status = IncludeRead::Missing;
    std::string bytes;
};
using IncludeFetcher = std::function<IncludedBytes(const std::string& path)>;

// Where the file read lies, for its Include: lines. Without a fetcher they
// are listed as not followed.
struct IncludeSource {
    std::string path;  // the file read; its folder is where relative includes are looked for
    IncludeFetcher fetch;
};

// Reads REW filter settings (also its filter table export), an Equalizer
// APO configuration or an AutoEQ ParametricEQ.txt, told apart by their
// content. Any bytes are accepted: UTF-16 and UTF-32 with a byte-order mark,
// UTF-8 and 8-bit text are decoded first; decimal commas and thousands
// separators are read as the file writes them.
FilterSet ReadFilterSet(std::string_view bytes, const IncludeSource& source = {});

// The filters that apply to one section: lines before any "Channel:" line
// and lines under a "Channel:" line naming the section or "all". Names
// compare without case. Without sections, every filter.
std::vector<FilterLine> FiltersForSection(const FilterSet& set, std::string_view section);
double PreampForSection(const FilterSet& set, std::string_view section);

}  // namespace caraudio::analysis
