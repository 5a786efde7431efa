#include "MeasurementFiles.h"

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>

#include "AtomicFile.h"
#include "AudioSystem.h"
#include "EditorGrid.h"
#include "ValueScales.h"

namespace caraudio::measure {

bool WriteResponseWav(const std::string& path, const std::vector<std::vector<double>>& channels) {
    if (channels.empty()) return false;
    SF_INFO info{};
    info.samplerate = audio::kRate;
    info.channels = static_cast<int>(channels.size());
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    const size_t frames = channels.front().size();
    std::vector<double> interleaved(frames * channels.size());
    for (size_t i = 0; i < frames; ++i)
        for (size_t c = 0; c < channels.size(); ++c)
            interleaved[i * channels.size() + c] = i < channels[c].size() ? channels[c][i] : 0.0;
    const bool written = sf_writef_double(f, interleaved.data(), static_cast<sf_count_t>(frames)) ==
                         static_cast<sf_count_t>(frames);
    return sf_close(f) == 0 && written;
}

bool WriteMeasurementText(const std::string& path, const analysis::ComplexResponse& r,
                          const std::string& what, const std::string& timing, const std::string& program) {
    std::string text = "* Measurement data measured by " + program + "\n* Measurement: " + what +
                       "\n* Measured with: current\n* Timing reference: " + timing +
                       "\n* Freq(Hz) SPL(dB) Phase(degrees)\n";
    const FrequencyGrid& grid = analysis::EditorGrid();
    char line[64];
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const std::complex<double> v = r[static_cast<size_t>(i)];
        if (!(std::abs(v) > 0)) continue;
        std::snprintf(line, sizeof line, "%.3f %.3f %.2f\n", grid.Hz(i), 20 * std::log10(std::abs(v)),
                      std::arg(v) * 180 / std::numbers::pi);
        text += line;
    }
    return storage::WriteFileAtomically(path, text);
}

bool WriteSessionImage(const std::string& folder, const EffectBlock& image) {
    return storage::WriteFileAtomically(
        (std::filesystem::path(folder) / kSessionImageName).string(),
        std::string_view(reinterpret_cast<const char*>(image.data()), EffectBlock::size()));
}

std::optional<EffectBlock> ReadSessionImage(const std::string& folder) {
    std::string bytes;
    const std::string path = (std::filesystem::path(folder) / kSessionImageName).string();
    if (!storage::ReadFile(path, bytes, EffectBlock::size() + 1).Ok() || bytes.size() != EffectBlock::size())
        return std::nullopt;
    EffectBlock::Bytes raw{};
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(raw.data()));
    return EffectBlock(raw);
}

bool SaveChannel(const std::string& folder, const ChannelResult& result, const std::string& timing,
                 const std::string& program, MeasurementIndex& index, std::string& failed) {
    const std::string name = ChannelLabel(result.block);
    const std::filesystem::path dir(folder);
    const std::string wav = (dir / (name + ".wav")).string(), txt = (dir / (name + ".txt")).string(),
                      ini = (dir / kMeasurementIndexName).string();
    if (!WriteResponseWav(wav, {result.response})) {
        failed = wav;
        return false;
    }
    if (!WriteMeasurementText(txt, result.spectrum, name, timing, program)) {
        failed = txt;
        return false;
    }
    // A channel measured again replaces its line.
    std::erase_if(index.channels, [&](const MeasuredChannel& c) { return c.label == name; });
    index.channels.push_back({name, name + ".wav", name + ".txt", result.snrDb, result.peakDbfs,
                              result.arrivalMs, result.driftPpm});
    if (!storage::WriteFileAtomically(ini, MeasurementIndexText(index))) {
        failed = ini;
        return false;
    }
    return true;
}

}  // namespace caraudio::measure
