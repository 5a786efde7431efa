// `measure` through the emulated box into a car given as files: what comes
// back is the car's own response, in level, phase and time, and the box is
// left as the user had it.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <complex>
#include <fstream>
#include <numbers>
#include <sstream>

#include "BoxSettings.h"
#include "CarFolder.h"
#include "CliRig.h"
#include "SyntheticCar.h"
#include "SyntheticImpulse.h"
#include "TextbookDft.h"
#include "ValueScales.h"

namespace caraudio::cli {
namespace {

using namespace rig;
namespace car = caraudio::test::car;

std::vector<double> ReadMono(const std::string& path) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f || info.channels != 1) return {};
    std::vector<double> x(static_cast<size_t>(info.frames));
    sf_readf_double(f, x.data(), info.frames);
    sf_close(f);
    return x;
}

class CliMeasure : public CliWithBox {
protected:
    // The car as files; the responses by channel number less one.
    std::array<std::vector<double>, kChannelCount> WriteCar() { return WriteCarFolder(dir_ / "car", -100); }
    // A flat box with the user's own mutes: CH2 and CH6 muted.
    EffectBlock UsersBox() {
        EffectBlock image = test::box::FlatFromInputOne();
        image.Set(*FindParam(param::MuteCtrl),
                  static_cast<uint16_t>(1 << BlockOfChannel(2) | 1 << BlockOfChannel(6)));
        const std::string bin = File("users.bin");
        std::ofstream(bin, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), EffectBlock::size());
        EXPECT_EQ(Box({"write", bin}).status, 0);
        return image;
    }
    EffectBlock BoxNow() {
        EXPECT_EQ(Box({"read", File("now.bin")}).status, 0);
        std::ifstream in(File("now.bin"), std::ios::binary);
        EffectBlock image;
        in.read(reinterpret_cast<char*>(image.data()), EffectBlock::size());
        return image;
    }
};

TEST_F(CliMeasure, EachChannelComesBackAsTheCarsResponse) {
    const auto responses = WriteCar();
    const EffectBlock users = UsersBox();
    const Result r = Box({"--car", (dir_ / "car").string(), "measure", "CH1", "CH2", "CH3", "CH5", "--out",
                          File("measured"), "--allow-full-range", "--seconds", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const int number : {1, 2, 3, 5}) {
        const std::string name = "CH" + std::to_string(number);
        EXPECT_NE(r.out.find(name + ": SNR "), std::string::npos) << r.out;
        const std::vector<double> measured = ReadMono(File(("measured/" + name + ".wav").c_str()));
        ASSERT_EQ(measured.size(), 48000u) << name;
        const std::vector<double>& truth = responses[static_cast<size_t>(number - 1)];
        double loudest = 0;
        for (double hz = 25; hz < 18000; hz *= std::pow(2.0, 1.0 / 6))
            loudest = std::max(loudest, std::abs(test::Dtft(truth, 48000, hz)));
        int compared = 0;
        for (double hz = 25; hz < 18000; hz *= std::pow(2.0, 1.0 / 6)) {
            const std::complex<double> t = test::Dtft(truth, 48000, hz);
            if (std::abs(t) < 0.03 * loudest) continue;  // its band: within 30 dB of its loudest
            const std::complex<double> ratio = test::Dtft(measured, 48000, hz) / t;
            EXPECT_NEAR(20 * std::log10(std::abs(ratio)), 0, 0.5) << name << " at " << hz;
            // In time too: the loopback is time zero, and the box adds none.
            EXPECT_NEAR(std::arg(ratio) * 180 / std::numbers::pi, 0, 3) << name << " at " << hz;
            ++compared;
        }
        EXPECT_GT(compared, 15) << name;
        std::ifstream text(File(("measured/" + name + ".txt").c_str()));
        std::string header;
        std::getline(text, header);
        EXPECT_EQ(header.rfind("* ", 0), 0u) << name;
    }
    EXPECT_EQ(BoxNow(), users) << "the user's mutes, and everything else, as they were";
}

// The text export's levels, by frequency.
std::vector<std::pair<double, double>> ReadExport(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::pair<double, double>> points;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '*') continue;
        std::istringstream fields(line);
        double hz = 0, db = 0;
        if (fields >> hz >> db) points.emplace_back(hz, db);
    }
    return points;
}

// Through a microphone that lifts the top, the export is the car's level
// once its calibration file is given, and off by the lift without it.
TEST_F(CliMeasure, CalibrationFileTakesTheMicrophoneOut) {
    const auto responses = WriteCar();
    UsersBox();
    const std::string car = (dir_ / "car").string();
    ASSERT_EQ(Box({"--mic=budget", "mic-calibration", File("mic.txt")}).status, 0);
    for (const bool calibrated : {true, false}) {
        std::vector<std::string> args{"--car", car,     "--mic=budget",   "measure",
                                      "CH1",   "--out", File("measured"), "--allow-full-range"};
        if (calibrated) args.insert(args.end(), {"--cal", File("mic.txt")});
        const Result r = Box(std::vector<std::string_view>(args.begin(), args.end()));
        ASSERT_EQ(r.status, 0) << r.err;
        double worst = 0;
        for (const auto& [hz, db] : ReadExport(File("measured/CH1.txt")))
            if (hz >= 3000 && hz <= 15000)
                worst = std::max(
                    worst, std::fabs(db - 20 * std::log10(std::abs(test::Dtft(responses[0], 48000, hz)))));
        if (calibrated)
            EXPECT_LT(worst, 0.5);
        else
            EXPECT_GT(worst, 3);  // the budget microphone's lift near 9 kHz
    }
    const Result refused = Box({"--car", car, "measure", "CH1", "--out", File("other"), "--allow-full-range",
                                "--cal", File("users.bin")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("is not a microphone calibration file"), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(File("other")));
}

double PrintedSnr(const std::string& out, const std::string& name) {
    const size_t at = out.find(name + ": SNR ");
    return at == std::string::npos ? NAN : std::stod(out.substr(at + name.size() + 6));
}

// Sixteen sweeps averaged: the response adds up, the cabin's noise does
// not, and the noise floor falls by 10 log10(16) = 12 dB.
TEST_F(CliMeasure, SweepsAveragedLowerTheNoise) {
    WriteCar();
    std::ofstream(dir_ / "car" / "noise.txt") << "-60\n";
    UsersBox();
    const std::string car = (dir_ / "car").string();
    const Result once = Box({"--car", car, "measure", "CH3", "--out", File("once"), "--allow-full-range"});
    const Result four =
        Box({"--car", car, "measure", "CH3", "--out", File("four"), "--allow-full-range", "--repeat", "16"});
    ASSERT_EQ(once.status, 0) << once.err;
    ASSERT_EQ(four.status, 0) << four.err;
    EXPECT_NE(four.out.find("16 sweeps averaged"), std::string::npos) << four.out;
    // The floor is read from a quarter second of the response, where a few slow swings of noise near the
    // sweep's lower end weigh much: one take's reading wanders by some 3 dB.
    const double gain = PrintedSnr(four.out, "CH3") - PrintedSnr(once.out, "CH3");
    EXPECT_GT(gain, 6) << once.out << four.out;
    EXPECT_LT(gain, 18) << once.out << four.out;
    EXPECT_EQ(Box({"measure", "CH3", "--out", File("x"), "--repeat", "0"}).status, 2);
}

TEST_F(CliMeasure, ChannelWithoutAHighPassIsNotSweptUnlessAllowed) {
    WriteCar();
    EffectBlock users = UsersBox();
    test::box::SetPass(users, BlockOfChannel(1), true, 2, 24, 2500);  // CH1 has its tweeter's high-pass
    std::ofstream(File("users.bin"), std::ios::binary)
        .write(reinterpret_cast<const char*>(users.data()), EffectBlock::size());
    ASSERT_EQ(Box({"write", File("users.bin")}).status, 0);
    const Result refused =
        Box({"--car", (dir_ / "car").string(), "measure", "CH1", "CH4", "--out", File("measured")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("CH4 has no high-pass"), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(File("measured/CH1.wav")));
    const Result tweeter =
        Box({"--car", (dir_ / "car").string(), "measure", "CH1", "--out", File("measured")});
    EXPECT_EQ(tweeter.status, 0) << tweeter.err;
    EXPECT_TRUE(std::filesystem::exists(File("measured/CH1.wav")));
    EXPECT_EQ(BoxNow(), users);
}

}  // namespace
}  // namespace caraudio::cli
