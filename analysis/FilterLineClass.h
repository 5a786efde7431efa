#pragma once

#include <string_view>
#include <vector>

#include "FilterLineFields.h"
#include "FilterText.h"

namespace caraudio::analysis {

// What each line of a filter-set file is, before any number is read.
enum class LineClass { Blank, Comment, Filter, BrokenFilter, Command, TableHeader, TableRow, Text };

struct ClassifiedLine {
    LineClass cls = LineClass::Blank;
    std::string_view command;  // for Command
    std::string_view rest;     // after the colon
};

// One line with its class and, for filter lines and table rows, its fields.
struct Pending {
    TextLine line;
    std::string_view trimmed;
    ClassifiedLine cls;
    FilterFields fields;
    LineProblem problem = LineProblem::None;
    bool pointOnly = false;  // a comma-separated table row: its numbers have decimal points
};

// The lines of a file's text; false when there are more than
// kMaxFilterSetLines. The lines view `text`.
bool ClassifyLines(std::string_view text, std::vector<Pending>& lines);

// The file's decimal mark, from the numbers that can be read only one way.
NumberStyle FindDecimalMark(const std::vector<Pending>& lines);

}  // namespace caraudio::analysis
