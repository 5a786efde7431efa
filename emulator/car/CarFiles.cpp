#include <charconv>
#include <fstream>
#include <sstream>

#include "ImpulseResponse.h"
#include "Resample.h"
#include "ValueScales.h"
#include "VirtualCar.h"

namespace caraudio::emulator {
namespace {

// Quieter than any microphone's own noise, louder than full scale: not a car.
constexpr double kQuietestNoiseDb = -160, kLoudestNoiseDb = 0;

std::string WhyNot(analysis::ImpulseResponseStatus status) {
    using S = analysis::ImpulseResponseStatus;
    switch (status) {
    case S::Read:
        return "";
    case S::NotSoundFile:
        return "is not a sound file";
    case S::NotMono:
        return "has more than one channel";
    case S::UnsupportedRate:
        return "is not at 44100, 48000 or 96000 Hz";
    case S::Empty:
        return "holds no samples";
    case S::TooLong:
        return "is longer than 10 seconds";
    case S::NotFinite:
        return "holds samples that are not numbers";
    }
    return "cannot be read";
}

// A regular file's bytes, refusing what is not one or is far too large.
bool ReadBytes(const std::filesystem::path& path, std::string& bytes, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        error = path.string() + " is missing or not a regular file";
        return false;
    }
    if (std::filesystem::file_size(path, ec) > analysis::kMaxImpulseResponseBytes) {
        error = path.string() + " is too large for an impulse response";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    if (!in && !in.eof()) {
        error = "cannot read " + path.string();
        return false;
    }
    bytes = s.str();
    return true;
}

}  // namespace

CarRead ReadCar(const std::filesystem::path& folder) {
    CarRead read;
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        read.error = folder.string() + " is not a folder";
        return read;
    }
    for (int number = 1; number <= kChannelCount; ++number) {
        const int block = BlockOfChannel(number);
        const std::filesystem::path path = folder / (ChannelLabel(block) + ".wav");
        std::string bytes;
        if (!ReadBytes(path, bytes, read.error)) return read;
        const analysis::ImpulseResponseRead r = analysis::ReadImpulseResponseBytes(bytes);
        if (r.status != analysis::ImpulseResponseStatus::Read) {
            read.error = path.string() + " " + WhyNot(r.status);
            return read;
        }
        read.car.responses[static_cast<size_t>(block)] =
            ImpulseResponseAt48k(r.response.samples, r.response.rate);
    }
    const std::filesystem::path noise = folder / "noise.txt";
    if (std::filesystem::exists(noise, ec)) {
        std::string text;
        if (!ReadBytes(noise, text, read.error)) return read;
        const size_t start = text.find_first_not_of(" \t\r\n");
        const size_t end = text.find_last_not_of(" \t\r\n");
        double db = 0;
        const char* first = start == std::string::npos ? text.data() : text.data() + start;
        const char* last = end == std::string::npos ? text.data() : text.data() + end + 1;
        const auto [at, why] = std::from_chars(first, last, db);
        if (why != std::errc() || at != last || !(db >= kQuietestNoiseDb && db <= kLoudestNoiseDb)) {
            read.error =
                noise.string() + " should hold the noise level in dB full scale, -160..0 (for example -80)";
            return read;
        }
        read.car.noiseDb = db;
    }
    read.ok = true;
    return read;
}

}  // namespace caraudio::emulator
