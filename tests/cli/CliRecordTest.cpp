// `record` through the emulated box into a car given as files: a click
// played through a flat box with one channel open comes back as that
// channel's response in the car, placed by the loopback.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <complex>
#include <fstream>
#include <numbers>

#include "BoxSettings.h"
#include "CarFolder.h"
#include "CliRig.h"
#include "SyntheticCar.h"
#include "SyntheticImpulse.h"
#include "ValueScales.h"

namespace caraudio::cli {
namespace {

using namespace rig;
namespace car = caraudio::test::car;

std::vector<std::vector<double>> ReadWav(const std::string& path, int& rate) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) return {};
    std::vector<double> interleaved(static_cast<size_t>(info.frames * info.channels));
    sf_readf_double(f, interleaved.data(), info.frames);
    sf_close(f);
    rate = info.samplerate;
    std::vector<std::vector<double>> channels(static_cast<size_t>(info.channels),
                                              std::vector<double>(static_cast<size_t>(info.frames)));
    for (size_t i = 0; i < static_cast<size_t>(info.frames); ++i)
        for (size_t c = 0; c < channels.size(); ++c) channels[c][i] = interleaved[i * channels.size() + c];
    return channels;
}

class CliRecord : public CliWithBox {
protected:
    // The car as files; the responses by channel number less one.
    std::array<std::vector<double>, kChannelCount> WriteCar() { return WriteCarFolder(dir_ / "car", -160); }
};

TEST_F(CliRecord, FlatBoxPlaysEachChannelIntoTheCarGivenAsFiles) {
    const auto responses = WriteCar();
    constexpr size_t kClick = 15000;
    std::vector<double> click(24000, 0.0);
    click[kClick] = 0.5;
    std::ofstream(File("click.wav"), std::ios::binary)
        << analysis::synthetic::Wav(click, 48000, SF_FORMAT_FLOAT);
    const std::string carFolder = (dir_ / "car").string(), image = File("flat.bin");
    for (const int channel : {0, 2, 5}) {
        const EffectBlock flat = test::box::FlatFromInputOne(channel);
        std::ofstream(image, std::ios::binary)
            .write(reinterpret_cast<const char*>(flat.data()), EffectBlock::size());
        ASSERT_EQ(Box({"write", image}).status, 0);
        const Result r = Box({"--car", carFolder, "record", "--play", File("click.wav"), "--out",
                              File("heard.wav"), "--input", "emulated-microphone:2"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("input 2: peak -6.0 dBFS"), std::string::npos) << r.out;
        int rate = 0;
        const auto heard = ReadWav(File("heard.wav"), rate);
        ASSERT_EQ(heard.size(), 2u);
        EXPECT_EQ(rate, 48000);
        EXPECT_EQ(heard[0].size(), 24000u + 24000u);  // the file and half a second
        size_t at = 0;
        for (size_t i = 0; i < heard[1].size(); ++i)
            if (std::fabs(heard[1][i]) > std::fabs(heard[1][at])) at = i;
        // The file of the channel the program calls by this block's number.
        const std::vector<double>& h = responses[static_cast<size_t>(ChannelNumber(channel) - 1)];
        double worst = 0, largest = 0;
        for (size_t n = 0; n < h.size() && at + n < heard[0].size(); ++n) {
            worst = std::max(worst, std::fabs(heard[0][at + n] - 0.5 * h[n]));
            largest = std::max(largest, 0.5 * std::fabs(h[n]));
        }
        // The cabin's noise at -160 dB full scale is all that differs.
        EXPECT_LT(worst, 1e-4 * largest) << "CH" << channel + 1;
    }
}

// The budget microphone colours what is recorded exactly as the calibration
// file written for it says: a calibration file undoes it.
TEST_F(CliRecord, CalibrationFileMatchesTheBudgetMicrophone) {
    WriteCar();
    // Later than the recording can start (eight blocks of 1024).
    std::vector<double> click(14400, 0.0);
    click[10000] = 0.5;
    std::ofstream(File("click.wav"), std::ios::binary)
        << analysis::synthetic::Wav(click, 48000, SF_FORMAT_FLOAT);
    const EffectBlock flat = test::box::FlatFromInputOne(BlockOfChannel(1));  // the tweeter
    std::ofstream(File("flat.bin"), std::ios::binary)
        .write(reinterpret_cast<const char*>(flat.data()), EffectBlock::size());
    ASSERT_EQ(Box({"write", File("flat.bin")}).status, 0);
    const std::string car = (dir_ / "car").string();
    // The response from the loopback's click on, through each microphone.
    auto heardThrough = [&](const char* mic) {
        const Result r = Box({"--car", car, mic, "record", "--play", File("click.wav"), "--out",
                              File("heard.wav"), "--input", "emulated-microphone:2"});
        EXPECT_EQ(r.status, 0) << r.err;
        int rate = 0;
        const auto heard = ReadWav(File("heard.wav"), rate);
        size_t at = 0;
        for (size_t i = 0; i < heard[1].size(); ++i)
            if (std::fabs(heard[1][i]) > std::fabs(heard[1][at])) at = i;
        return std::vector<double>(heard[0].begin() + static_cast<long>(at), heard[0].end());
    };
    const std::vector<double> flatHeard = heardThrough("--mic=flat"),
                              budgetHeard = heardThrough("--mic=budget");
    const Result written = Box({"--mic=budget", "mic-calibration", File("mic.txt")});
    ASSERT_EQ(written.status, 0) << written.err;
    std::ifstream cal(File("mic.txt"));
    std::string header;
    std::getline(cal, header);
    EXPECT_NE(header.find("Sens Factor ="), std::string::npos) << header;
    EXPECT_NE(header.find("SERNO:"), std::string::npos) << header;
    auto db = [](const std::vector<double>& h, double hz) {
        std::complex<double> sum = 0;
        for (size_t n = 0; n < h.size(); ++n)
            sum += h[n] * std::polar(1.0, -2 * std::numbers::pi * hz * n / 48000);
        return 20 * std::log10(std::abs(sum));
    };
    int checked = 0;
    for (double hz = 0, level = 0; cal >> hz >> level;)
        if (hz >= 2000 && hz <= 16000 && ++checked % 8 == 0) {
            EXPECT_NEAR(db(budgetHeard, hz) - db(flatHeard, hz), level, 0.05) << hz << " Hz";
        }
    EXPECT_GT(checked, 60);
    EXPECT_EQ(RunCli({"--mic=budget", "mic-calibration", File("x.txt")}).status, 2);
}

TEST_F(CliRecord, CarThatCannotBeUsedIsNamed) {
    WriteCar();
    std::filesystem::remove(dir_ / "car" / "CH3.wav");
    std::vector<double> click(4800, 0.0);
    click[100] = 0.5;
    std::ofstream(File("click.wav"), std::ios::binary)
        << analysis::synthetic::Wav(click, 48000, SF_FORMAT_FLOAT);
    const Result r = Box({"--car", (dir_ / "car").string(), "record", "--play", File("click.wav"), "--out",
                          File("heard.wav")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("CH3.wav is missing"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(File("heard.wav")));
    const Result noEmulator = RunCli({"--car", (dir_ / "car").string(), "audio-devices"});
    EXPECT_EQ(noEmulator.status, 2);
    EXPECT_NE(noEmulator.err.find("need --emulate"), std::string::npos);
}

}  // namespace
}  // namespace caraudio::cli
