#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "FieldNumber.h"

namespace caraudio::analysis {

// How the fields of a measurement file's lines are separated. Decided once,
// from the file's first data line, so every line of a file reads alike.
enum class FieldSeparator {
    Semicolon,  // each separator ends a field; empty fields are kept
    Comma,
    Tab,
    Blanks,  // runs of spaces and tabs
};

// The mark a file's numbers use before their fraction. A file never mixes
// them; Unknown until its first number that has one.
enum class DecimalMark { Unknown, Point, Comma };

// More columns than any program writes; a line with more is not data.
inline constexpr int kMostFields = 64;

// The fields as places in the line, which must outlive them. The places past
// `count` are left unset: a line costs no more than the fields it has.
struct LineFields {
    struct Place {
        uint32_t begin, size;
    };
    std::string_view line;
    std::array<Place, kMostFields> places;
    int count = 0;
    bool tooMany = false;

    std::string_view Field(int i) const {
        const Place p = places[static_cast<size_t>(i)];
        return line.substr(p.begin, p.size);
    }
};

// The fields of a line, spaces around each dropped. One separator at the
// end of the line is allowed, as some spreadsheets write it.
LineFields SplitFields(std::string_view line, FieldSeparator separator);
// The same for a column header: a field in double quotes may hold the
// separator, and its quotes are dropped.
LineFields SplitHeaderFields(std::string_view line, FieldSeparator separator);

// A field read as a number with the file's decimal mark. While the mark is
// Unknown, the field's own mark (if it has one) becomes the file's. Groups of
// three digits may be set apart by no-break spaces ("12 500,5").
struct FieldValue {
    enum class Kind {
        Number,
        NotFinite,  // NaN, an infinity, or beyond a double
        OtherMark,  // a number, but with the decimal mark the file does not use
        NotNumber,
    };
    Kind kind = Kind::NotNumber;
    double value = 0;
};
FieldValue ReadMarkedField(std::string_view field, DecimalMark& mark);
inline FieldValue ReadField(std::string_view field, DecimalMark& mark) {
    // Most files: a plain number with a point, read at once.
    if (mark == DecimalMark::Point)
        if (const std::optional<double> n = ReadPlainDecimal(field)) return {FieldValue::Kind::Number, *n};
    return ReadMarkedField(field, mark);
}

// The separator under which the line is a line of data: at least two fields,
// and every field that is not empty a number. None when it is no data line.
std::optional<FieldSeparator> DataLineSeparator(std::string_view line);

}  // namespace caraudio::analysis
