// `measure` through the emulated box into a car given as files: what comes
// back is the car's own response, in level, phase and time, and the box is
// left as the user had it.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <fstream>
#include <iterator>
#include <numbers>
#include <optional>
#include <sstream>

#include "BandLevels.h"
#include "BoxSettings.h"
#include "CarFolder.h"
#include "CliRig.h"
#include "MeasurementFiles.h"
#include "MeasurementIndex.h"
#include "MonoWav.h"
#include "SyntheticCar.h"
#include "SyntheticImpulse.h"
#include "TextbookDft.h"
#include "ValueScales.h"

namespace caraudio::cli {
namespace {

using namespace rig;
namespace car = caraudio::test::car;

class CliMeasure : public CliWithBox {
protected:
    // The car as files; the responses by channel number less one.
    std::array<std::vector<double>, kChannelCount> WriteCar() { return WriteCarFolder(dir_ / "car", -100); }
    // A flat box with the user's own mutes (CH2 and CH6 muted) and mixer:
    // CH2 plays the head unit's right channel, CH4 both at half level.
    EffectBlock UsersBox() {
        EffectBlock image = test::box::FlatFromInputOne();
        image.Set(*FindParam(param::MuteCtrl),
                  static_cast<uint16_t>(1 << BlockOfChannel(2) | 1 << BlockOfChannel(6)));
        image.Set(*FindParam(param::Input(BlockOfChannel(2), 0)), 0);
        image.Set(*FindParam(param::Input(BlockOfChannel(2), 1)), 100);
        image.Set(*FindParam(param::Input(BlockOfChannel(4), 0)), 50);
        image.Set(*FindParam(param::Input(BlockOfChannel(4), 1)), 50);
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

double PrintedSnr(const std::string& out, const std::string& name) {
    const size_t at = out.find(name + ": SNR ");
    return at == std::string::npos ? NAN : std::stod(out.substr(at + name.size() + 6));
}

TEST_F(CliMeasure, EachChannelComesBackAsTheCarsResponse) {
    const auto responses = WriteCar();
    const EffectBlock users = UsersBox();
    const Result r = Box({"--car", (dir_ / "car").string(), "measure", "CH1", "CH2", "CH3", "CH4", "CH5",
                          "--out", File("measured"), "--allow-full-range", "--seconds", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("timing reference: loopback on input 2"), std::string::npos) << r.out;
    // CH2 hears only the right input and CH4 both at half: each plays the
    // sweep at its own level, as a mono programme on both would.
    for (const int number : {1, 2, 3, 4, 5}) {
        const std::string name = "CH" + std::to_string(number);
        EXPECT_NE(r.out.find(name + ": SNR "), std::string::npos) << r.out;
        const std::vector<double> measured = test::ReadMonoWav(File(("measured/" + name + ".wav").c_str()));
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

    const std::optional<EffectBlock> through = measure::ReadSessionImage(File("measured"));
    ASSERT_TRUE(through);
    EXPECT_EQ(*through, users) << "kept as what every channel was measured through";
    // The folder's index lists each channel with its files, as printed.
    std::ifstream in(File("measured/measurement.ini"));
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    const std::optional<measure::MeasurementIndex> index = measure::ReadMeasurementIndex(text);
    ASSERT_TRUE(index) << text;
    EXPECT_EQ(index->timing, "loopback on input 2");
    ASSERT_EQ(index->channels.size(), 5u) << text;
    for (const measure::MeasuredChannel& c : index->channels) {
        EXPECT_TRUE(std::filesystem::exists(File("measured") + "/" + c.impulseFile)) << c.label;
        EXPECT_TRUE(std::filesystem::exists(File("measured") + "/" + c.textFile)) << c.label;
        EXPECT_NEAR(c.snrDb, PrintedSnr(r.out, c.label), 0.05) << c.label;
    }
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

// The largest level difference, in dB, between a measured response and the
// truth over the truth's band.
double WorstBandLevelDb(const std::vector<double>& measured, const std::vector<double>& truth) {
    return test::CompareBandLevels(measured, truth).worstDb;
}

// How much later `measured` is than `truth`, in samples: the peak of their
// cross-correlation over the first 50 ms, between samples by a parabola.
double LagOf(const std::vector<double>& measured, const std::vector<double>& truth) {
    constexpr int kMostLag = 1200;
    constexpr size_t kSpan = 2400;
    std::vector<double> c(kMostLag);
    for (int lag = 0; lag < kMostLag; ++lag)
        for (size_t n = 0; n < kSpan && n < truth.size() && n + lag < measured.size(); ++n)
            c[static_cast<size_t>(lag)] += measured[n + static_cast<size_t>(lag)] * truth[n];
    const auto at = static_cast<size_t>(std::max_element(c.begin(), c.end()) - c.begin());
    if (at == 0 || at + 1 == c.size()) return static_cast<double>(at);
    const double bend = c[at - 1] - 2 * c[at] + c[at + 1];
    return static_cast<double>(at) + 0.5 * (c[at - 1] - c[at + 1]) / bend;
}

// No loopback, and the microphone's clock 50 ppm fast: a chirp through CH1
// before and after each sweep times every channel. Each comes back as the
// car's response, and all are moved by one and the same time, the
// reference's, to within two delay steps.
TEST_F(CliMeasure, AcousticReferenceTimesEveryChannelAlike) {
    const auto responses = WriteCar();
    const EffectBlock users = UsersBox();
    const Result r = Box({"--car", (dir_ / "car").string(), "--no-loopback", "--mic-drift=50", "measure",
                          "CH1", "CH2", "CH3", "CH4", "CH5", "CH6", "--reference", "acoustic:CH1", "--out",
                          File("measured"), "--allow-full-range"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("timing reference: acoustic, CH1 (arrivals relative to it)"), std::string::npos)
        << r.out;
    std::vector<double> lags;
    for (int number = 1; number <= kChannelCount; ++number) {
        const std::string name = "CH" + std::to_string(number);
        const size_t line = r.out.find(name + ": SNR ");
        ASSERT_NE(line, std::string::npos) << r.out;
        const size_t drift = r.out.find("drift ", line);
        ASSERT_NE(drift, std::string::npos) << r.out;
        EXPECT_NEAR(std::stod(r.out.substr(drift + 6)), 50, 1) << name;
        const std::vector<double> measured = test::ReadMonoWav(File(("measured/" + name + ".wav").c_str()));
        const std::vector<double>& truth = responses[static_cast<size_t>(number - 1)];
        EXPECT_LT(WorstBandLevelDb(measured, truth), 0.5) << name;
        lags.push_back(LagOf(measured, truth));
    }
    for (size_t c = 1; c < lags.size(); ++c) EXPECT_NEAR(lags[c], lags[0], 2) << "CH" << c + 1;
    std::ifstream text(File("measured/CH3.txt"));
    const std::string header((std::istreambuf_iterator<char>(text)), {});
    EXPECT_NE(header.find("* Timing reference: acoustic, CH1"), std::string::npos) << header;
    EXPECT_EQ(BoxNow(), users) << "mutes and mixer as the user had them";
}

// A reference whose tweeter is not connected.
TEST_F(CliMeasure, AcousticReferenceThatCannotBeHeardIsNamed) {
    WriteCar();
    std::ofstream(dir_ / "car" / "CH1.wav", std::ios::binary)
        << analysis::synthetic::Wav(std::vector<double>(4800, 0.0), 48000, SF_FORMAT_FLOAT);
    std::ofstream(dir_ / "car" / "noise.txt") << "-70\n";
    const EffectBlock users = UsersBox();
    const Result gone = Box({"--car", (dir_ / "car").string(), "--no-loopback", "measure", "CH3",
                             "--reference", "acoustic:CH1", "--out", File("measured"), "--allow-full-range"});
    EXPECT_EQ(gone.status, 1);
    EXPECT_NE(gone.err.find("the acoustic reference through CH1 was not heard"), std::string::npos)
        << gone.err;
    EXPECT_FALSE(std::filesystem::exists(File("measured/CH3.wav")));
    const Result none = Box({"--car", (dir_ / "car").string(), "--no-loopback", "measure", "CH3", "--out",
                             File("measured"), "--allow-full-range"});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("give --reference acoustic:CHn"), std::string::npos) << none.err;
    EXPECT_EQ(BoxNow(), users);
}

// The sweep's level as the quiet test set it, from what measure printed.
double PrintedLevel(const std::string& out) {
    const size_t at = out.find(" s at ");
    return at == std::string::npos ? NAN : std::stod(out.substr(at + 6));
}

// A mid ten times as loud as the rest would clip the microphone at the
// level asked for: the quiet test lowers the sweep until it has room. A
// speaker that is not there is not swept at all.
TEST_F(CliMeasure, QuietTestSetsALevelTheMicrophoneHasRoomFor) {
    auto responses = WriteCar();
    UsersBox();
    for (double& v : responses[2]) v *= 10;
    std::ofstream(dir_ / "car" / "CH3.wav", std::ios::binary)
        << analysis::synthetic::Wav(responses[2], 48000, SF_FORMAT_FLOAT);
    const std::string car = (dir_ / "car").string();
    const Result loud = Box(
        {"--car", car, "measure", "CH3", "--out", File("measured"), "--allow-full-range", "--level", "-3"});
    ASSERT_EQ(loud.status, 0) << loud.err;
    const double level = PrintedLevel(loud.out);
    EXPECT_LT(level, -12) << loud.out;
    const size_t peak = loud.out.find("peak ");
    ASSERT_NE(peak, std::string::npos) << loud.out;
    EXPECT_LT(std::stod(loud.out.substr(peak + 5)), -6) << loud.out;
    EXPECT_LT(WorstBandLevelDb(test::ReadMonoWav(File("measured/CH3.wav")), responses[2]), 0.5);
    const Result quiet =
        Box({"--car", car, "measure", "CH1", "--out", File("measured"), "--allow-full-range"});
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(PrintedLevel(quiet.out), -12) << "never louder than asked";

    std::ofstream(dir_ / "car" / "CH1.wav", std::ios::binary)
        << analysis::synthetic::Wav(std::vector<double>(4800, 0.0), 48000, SF_FORMAT_FLOAT);
    std::ofstream(dir_ / "car" / "noise.txt") << "-50\n";
    const Result gone = Box({"--car", car, "measure", "CH1", "--out", File("gone"), "--allow-full-range"});
    EXPECT_EQ(gone.status, 1) << gone.out;
    EXPECT_NE(gone.err.find("the microphone did not hear the quiet test through CH1"), std::string::npos)
        << gone.err;
    EXPECT_FALSE(std::filesystem::exists(File("gone/CH1.wav")));
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
