#include "CliFilterSetTexts.h"

#include <cstdio>

namespace caraudio::cli {

using namespace caraudio::analysis;

// A line of the file as it can go to a terminal: bytes that are not UTF-8
// (a binary file, another encoding) become '?'.
std::string Printable(std::string_view text) {
    std::string shown;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80           ? 1
                              : (lead >> 5) == 0x6  ? 2
                              : (lead >> 4) == 0xE  ? 3
                              : (lead >> 3) == 0x1E ? 4
                                                    : 0;
        bool valid = length > 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (!valid) {
            shown += '?';
            ++i;
            continue;
        }
        shown.append(text.substr(i, length));
        i += length;
    }
    return shown;
}

const char* ProblemText(LineProblem problem) {
    switch (problem) {
    case LineProblem::None:
        break;
    case LineProblem::NotAFilterLine:
        return "not a filter line, after the filter lines began";
    case LineProblem::NoColon:
        return "a filter line without the colon after its number";
    case LineProblem::NoOnOff:
        return "ON or OFF is missing after the filter's number";
    case LineProblem::MissingValue:
        return "a value the filter needs is missing";
    case LineProblem::UnknownField:
        return "a field this kind of filter does not have";
    case LineProblem::BadNumber:
        return "a number that cannot be read";
    case LineProblem::BadPreamp:
        return "the preamp is not a number of dB";
    case LineProblem::BadChannel:
        return "the Channel: line names no channel";
    }
    return "cannot be read";
}

// "line 3", or "line 3 of room.txt" in a file the one named includes.
std::string LineName(int line, const std::string& file) {
    return "line " + std::to_string(line) + (file.empty() ? "" : " of " + Printable(file));
}

// Files in another encoding than UTF-8 say what they were read as.
std::string ReadAs(const FilterSet& set) {
    return set.encoding.empty() || set.encoding == "UTF-8" ? "" : " (read as " + set.encoding + " text)";
}

const char* FormatName(FilterSetFormat format) {
    switch (format) {
    case FilterSetFormat::RewFilterSettings:
        return " (REW filter settings)";
    case FilterSetFormat::RewFilterTable:
        return " (REW filter table)";
    case FilterSetFormat::EqualizerApo:
        return " (Equalizer APO configuration)";
    case FilterSetFormat::AutoEq:
        return " (AutoEQ parametric EQ)";
    case FilterSetFormat::Unknown:
        break;
    }
    return "";
}

namespace {

std::string NoteText(const SkippedFilter& s) {
    const std::string path = Printable(s.includePath);
    switch (s.note) {
    case CommandNote::Config:
        return "a configuration line; the box has nothing for it";
    case CommandNote::IncludeNotFollowed:
        return "the included file was not read: " + path;
    case CommandNote::IncludeMissing:
        return "the included file is missing: " + path;
    case CommandNote::IncludeUnreadable:
        return "the included file cannot be read: " + path;
    case CommandNote::IncludeNotText:
        return "the included file is not text: " + path;
    case CommandNote::IncludeTooLarge:
        return "the included file is too large for a filter set: " + path;
    case CommandNote::IncludeLoop:
        return "the file includes itself: " + path;
    case CommandNote::IncludeTooDeep:
        return "more than " + std::to_string(kMaxIncludeDepth) + " levels of included files";
    case CommandNote::IncludeTooMany:
        return "more than " + std::to_string(kMaxIncludedFiles) + " included files";
    case CommandNote::IncludeAbsolute:
        return "a path on the computer that wrote the file; put the file beside this one and include it by "
               "name: " +
               path;
    }
    return {};
}

}  // namespace

std::string SkipReasonText(const SkippedFilter& s) {
    char buffer[96];
    switch (s.reason) {
    case SkipReason::Off:
        return "switched off";
    case SkipReason::NotFollowed:
        return NoteText(s);
    case SkipReason::NoCloseCrossover:
        std::snprintf(buffer, sizeof buffer,
                      "no crossover type of the box comes close to it (%.2f dB RMS apart)", s.rmsDb);
        return buffer;
    case SkipReason::ExtraCrossover:
        return s.kind == FilterKind::HighPass ? "a second high-pass; the channel has one"
                                              : "a second low-pass; the channel has one";
    case SkipReason::NotImportable:
        break;
    }
    switch (s.kind) {
    case FilterKind::Notch:
        return "a notch; the box has no notch filter";
    case FilterKind::AllPass:
        return "an all-pass; the box has no all-pass filter";
    default:
        return Printable(s.type) + ": not a filter the box has";
    }
}

}  // namespace caraudio::cli
