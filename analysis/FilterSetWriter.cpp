#include "FilterSetWriter.h"

#include <cmath>

#include "NumberText.h"

namespace caraudio::analysis {
namespace {

std::string Fixed(double value, int decimals) {
    std::string text = FormatFixed(value, decimals);
    // "-0.00" reads back as 0 but looks like a cut; write "0.00".
    if (text.find_first_of("123456789") == std::string::npos && !text.empty() && text[0] == '-')
        text.erase(0, 1);
    return text;
}

std::string Frequency(double hz) {
    return Fixed(hz, std::fabs(hz - std::round(hz)) < 1e-9 ? 0 : 2);
}
std::string Gain(double db) {
    return Fixed(db, 2);
}
std::string Q(double q) {
    return Fixed(q, 4);
}

std::string Padded(std::string text, std::size_t width) {
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

std::string OneLine(std::string_view note) {
    std::string line(note);
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    return line;
}

}  // namespace

std::string WriteRewFilterSettings(std::span<const PeakingFilter> filters, std::string_view note) {
    std::string out = "Filter Settings file\n\n";
    out += "Notes: " + OneLine(note) + "\n\n";
    out += "Equaliser: Generic\n";
    int n = 1;
    for (const PeakingFilter& f : filters) {
        out += "Filter " + Padded(FormatInt(n++), 2) + ": ON  PK       Fc " + Padded(Frequency(f.fcHz), 7) +
               " Hz  Gain " + Padded(Gain(f.gainDb), 6) + " dB  Q " + Padded(Q(f.q), 7) + "\n";
    }
    if (filters.empty()) out += "Filter  1: ON  None\n";
    return out;
}

std::string WriteApoConfig(std::span<const PeakingFilter> filters, std::optional<double> preampDb,
                           std::string_view note) {
    std::string out;
    if (!note.empty()) out += "# " + OneLine(note) + "\n";
    if (preampDb || filters.empty()) out += "Preamp: " + Gain(preampDb.value_or(0)) + " dB\n";
    int n = 1;
    for (const PeakingFilter& f : filters) {
        out += "Filter " + FormatInt(n++) + ": ON PK Fc " + Frequency(f.fcHz) + " Hz Gain " + Gain(f.gainDb) +
               " dB Q " + Q(f.q) + "\n";
    }
    return out;
}

}  // namespace caraudio::analysis
