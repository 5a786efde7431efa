#include "CliMeasureArgs.h"

#include <cmath>
#include <string_view>

#include "CliChannelArg.h"
#include "CliCurveArgs.h"
#include "MeasuringTake.h"

namespace caraudio::cli {
namespace {

// More channels than any sound card a measurement uses has.
constexpr int kMostDeviceChannels = 32;

// DEV or DEV:CH; false when CH is given but is not a channel number.
bool ReadDeviceChannel(const std::string& value, std::string& device, int& channel) {
    const size_t colon = value.rfind(':');
    device = value;
    if (colon == std::string::npos) return true;
    double number = 0;
    const std::string tail = value.substr(colon + 1);
    if (!WholeNumber(tail, number)) return true;  // a colon of the device's own name
    if (number != std::floor(number) || number < 1 || number > kMostDeviceChannels) return false;
    device = value.substr(0, colon);
    channel = static_cast<int>(number);
    return true;
}

bool ReadReference(std::string_view value, measure::ReferenceChoice& r) {
    double number = 0;
    if (value.starts_with("loopback:") && WholeNumber(value.substr(9), number) &&
        number == std::floor(number) && number >= 1 && number <= kMostDeviceChannels) {
        r.kind = measure::ReferenceChoice::Loopback;
        r.loopbackChannel = static_cast<int>(number);
        return true;
    }
    if (value.starts_with("acoustic:") && ChannelArg(value.substr(9), r.block)) {
        r.kind = measure::ReferenceChoice::Acoustic;
        return true;
    }
    return false;
}

}  // namespace

bool ReadMeasureArgs(CommandArgs args, MeasureArgs& m, std::FILE* err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        int block = 0;
        if (ChannelArg(a, block)) {
            m.channels.push_back(block);
            continue;
        }
        if (a == "--allow-full-range") {
            m.allowFullRange = true;
            continue;
        }
        if (i + 1 >= args.size()) return false;
        const std::string value(args[++i]);
        double number = 0;
        if (a == "--out") {
            m.out = value;
        } else if (a == "--cal") {
            m.calibration = value;
        } else if (a == "--repeat") {
            if (!WholeNumber(value, number) || number != std::floor(number) || number < 1 || number > 16) {
                std::fprintf(err, "caraudio-cli: --repeat takes how many sweeps to average, 1..16.\n");
                return false;
            }
            m.repeats = static_cast<int>(number);
        } else if (a == "--output" || a == "--input") {
            const bool output = a == "--output";
            if (!ReadDeviceChannel(value, output ? m.rig.output : m.rig.input,
                                   output ? m.rig.outputChannel : m.rig.inputChannel)) {
                std::fprintf(err, "caraudio-cli: %s takes DEV or DEV:CH, CH a channel number from 1.\n",
                             output ? "--output" : "--input");
                return false;
            }
        } else if (a == "--reference") {
            if (!ReadReference(value, m.rig.reference)) {
                std::fprintf(err,
                             "caraudio-cli: --reference takes loopback:CH (the input channel the output "
                             "comes back on) or acoustic:CHn (the speaker that times the measurement).\n");
                return false;
            }
        } else if (a == "--sweep") {
            std::optional<analysis::FrequencySpan> span;
            if (!ReadSpan(value, span) || !span) {
                std::fprintf(err, "caraudio-cli: --sweep takes LO-HI in Hz, for example 20-20000.\n");
                return false;
            }
            m.sweep.lowHz = span->lowHz, m.sweep.highHz = span->highHz;
        } else if (a == "--seconds") {
            if (!WholeNumber(value, number) || number < 0.5 || number > 10) {
                std::fprintf(err, "caraudio-cli: --seconds takes a sweep length of 0.5..10 s.\n");
                return false;
            }
            m.sweep.seconds = number;
        } else if (a == "--level") {
            if (!WholeNumber(value, number) || number > measure::kLoudestSweepDbfs || number < -60) {
                std::fprintf(err, "caraudio-cli: --level takes the sweep's peak in dBFS, -60..%.0f.\n",
                             measure::kLoudestSweepDbfs);
                return false;
            }
            m.sweep.levelDbfs = number;
        } else {
            return false;
        }
    }
    return !m.channels.empty() && !m.out.empty();
}

}  // namespace caraudio::cli
