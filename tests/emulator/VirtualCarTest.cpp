// The virtual car: the built-in one behaves as the speakers it stands for,
// one read from files keeps each response as it was measured, and the
// microphone's calibration file says what the microphone does.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "SeatMicrophone.h"
#include "SyntheticImpulse.h"
#include "TextbookDft.h"
#include "ValueScales.h"
#include "VirtualCar.h"

namespace caraudio::emulator {
namespace {

constexpr double kSpeedOfSound = 343;

double Db(const std::vector<double>& h, double hz, double rate = kCarRate) {
    return 20 * std::log10(std::abs(test::Dtft(h, rate, hz)));
}

TEST(VirtualCar, DefaultCarSoundsLikeItsSpeakers) {
    const VirtualCar car = DefaultCar();
    const std::array<double, kChannelCount> paths = DefaultCarPaths();
    for (size_t c = 0; c < kChannelCount; ++c) {
        const std::vector<double>& h = car.responses[c];
        // Nothing before the sound can have come from where the speaker sits
        // (less the fractional delay's half-width of 64 samples).
        const auto arrival = static_cast<size_t>(paths[c] / kSpeedOfSound * kCarRate);
        double before = 0, all = 0;
        for (size_t n = 0; n < h.size(); ++n) (n + 64 < arrival ? before : all) += h[n] * h[n];
        EXPECT_LT(before, 1e-12 * all) << "CH" << c + 1;
        EXPECT_GT(paths[c], 0.8) << "CH" << c + 1;
        EXPECT_LT(paths[c], 2.5) << "CH" << c + 1;
    }
    // As the program names the channels: tweeters CH1, CH2 play the top and
    // not the bass; subs CH5, CH6 the bass, lifted by the cabin below 50 Hz.
    auto of = [&](int number) -> const std::vector<double>& {
        return car.responses[static_cast<size_t>(BlockOfChannel(number))];
    };
    for (int n : {1, 2}) EXPECT_GT(Db(of(n), 6000) - Db(of(n), 150), 30) << "CH" << n;
    for (int n : {5, 6}) {
        EXPECT_GT(Db(of(n), 40) - Db(of(n), 2000), 25) << "CH" << n;
        EXPECT_GT(Db(of(n), 35), Db(of(n), 120) + 3) << "CH" << n;
    }
    // The near side's mid (CH3, the driver's door) is the louder one, as the paths say.
    EXPECT_GT(Db(of(3), 400), Db(of(4), 400));
}

struct Folder {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("virtual-car-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    Folder() {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~Folder() { std::filesystem::remove_all(path); }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path / name, std::ios::binary) << bytes;
    }
};

// A damped resonance and a delay: some speaker's response at `rate`.
std::vector<double> SomeResponse(int rate, double hz, double delayS) {
    std::vector<double> h(static_cast<size_t>(0.2 * rate), 0.0);
    const double w = 2 * std::numbers::pi * hz / rate, r = std::exp(-2 * std::numbers::pi * 150 / rate);
    const auto d = static_cast<size_t>(delayS * rate);
    for (size_t n = d; n < h.size(); ++n)
        h[n] = 0.2 * std::pow(r, static_cast<double>(n - d)) * std::sin(w * static_cast<double>(n - d + 1));
    return h;
}

TEST(VirtualCar, ReadFromFilesAtAnyRateKeepsEachResponse) {
    for (const int rate : {44100, 48000, 96000}) {
        Folder folder;
        std::array<std::vector<double>, kChannelCount> written;
        for (int c = 0; c < kChannelCount; ++c) {
            written[static_cast<size_t>(c)] = SomeResponse(rate, 200.0 * (c + 1), 0.002 + 0.001 * c);
            folder.Write("CH" + std::to_string(c + 1) + ".wav",
                         analysis::synthetic::Wav(written[static_cast<size_t>(c)], rate, SF_FORMAT_FLOAT));
        }
        folder.Write("noise.txt", " -72.5\n");
        const CarRead read = ReadCar(folder.path);
        ASSERT_TRUE(read.ok) << read.error;
        EXPECT_EQ(read.car.noiseDb, -72.5);
        for (size_t c = 0; c < kChannelCount; ++c)
            for (const double hz : {50.0, 200.0, 1000.0, 5000.0, 15000.0}) {
                // CHn.wav is the output the program calls CHn.
                const auto block = static_cast<size_t>(BlockOfChannel(static_cast<int>(c) + 1));
                const std::complex<double> was = test::Dtft(written[c], rate, hz),
                                           is = test::Dtft(read.car.responses[block], kCarRate, hz);
                EXPECT_NEAR(20 * std::log10(std::abs(is / was)), 0, 0.05)
                    << rate << " Hz file, CH" << c + 1 << " at " << hz;
                EXPECT_NEAR(std::arg(is / was) * 180 / std::numbers::pi, 0, 1.0)
                    << rate << " Hz file, CH" << c + 1 << " at " << hz;
            }
    }
}

TEST(VirtualCar, BadFolderNamesTheFileAndWhy) {
    const std::string mono =
        analysis::synthetic::Wav(SomeResponse(48000, 500, 0.002), 48000, SF_FORMAT_FLOAT);
    const struct {
        const char* what;
        void (*spoil)(const Folder&);
        const char* says;
    } cases[] = {
        {"CH4 missing", [](const Folder& f) { std::filesystem::remove(f.path / "CH4.wav"); },
         "CH4.wav is missing"},
        {"CH2 stereo",
         [](const Folder& f) {
             f.Write("CH2.wav",
                     analysis::synthetic::Wav(std::vector<double>(200, 0.1), 48000, SF_FORMAT_FLOAT, 2));
         },
         "CH2.wav has more than one channel"},
        {"CH6 text", [](const Folder& f) { f.Write("CH6.wav", "frequency,dB\n"); },
         "CH6.wav is not a sound file"},
        {"noise not a number", [](const Folder& f) { f.Write("noise.txt", "quiet"); },
         "noise.txt should hold"},
        {"noise too loud", [](const Folder& f) { f.Write("noise.txt", "12"); }, "noise.txt should hold"},
    };
    for (const auto& c : cases) {
        Folder folder;
        for (int ch = 1; ch <= kChannelCount; ++ch) folder.Write("CH" + std::to_string(ch) + ".wav", mono);
        c.spoil(folder);
        const CarRead read = ReadCar(folder.path);
        EXPECT_FALSE(read.ok) << c.what;
        EXPECT_NE(read.error.find(c.says), std::string::npos) << c.what << ": " << read.error;
    }
    EXPECT_NE(ReadCar("/nonexistent/car").error.find("is not a folder"), std::string::npos);
}

// What the calibration file says is what the microphone does to the sound
// that reaches it: measured through the seat with a car of one click.
TEST(VirtualCar, CalibrationFileDescribesTheMicrophone) {
    for (const Microphone& mic : {FlatMicrophone(), BudgetMicrophone()}) {
        VirtualCar car;
        car.noiseDb = -300;
        car.responses[0] = {1.0};
        SeatMicrophone seat(car, mic, 1);
        std::array<std::vector<double>, kChannelCount> outputs;
        std::array<const double*, kChannelCount> o{};
        for (size_t c = 0; c < kChannelCount; ++c)
            outputs[c].assign(kCarBlockFrames, 0.0), o[c] = outputs[c].data();
        std::vector<double> heard;
        for (int b = 0; b < 32; ++b) {
            outputs[0][0] = b == 0 ? 1.0 : 0.0;
            std::vector<double> block(kCarBlockFrames);
            seat.Run(o, block.data());
            heard.insert(heard.end(), block.begin(), block.end());
        }
        std::istringstream text(CalibrationFileText(mic));
        std::string header;
        std::getline(text, header);
        char expected[64];
        std::snprintf(expected, sizeof expected, "Sens Factor =%.2fdB, SERNO: %s", mic.sensitivityDb,
                      mic.serial.c_str());
        EXPECT_NE(header.find(expected), std::string::npos) << header;
        int lines = 0;
        double hz = 0, db = 0;
        while (text >> hz >> db) {
            ++lines;
            if (hz >= 20 && hz <= 20000) {
                EXPECT_NEAR(Db(heard, hz), db, 0.02) << mic.serial << " at " << hz;
            }
        }
        EXPECT_GT(lines, 200) << mic.serial;
    }
}

}  // namespace
}  // namespace caraudio::emulator
