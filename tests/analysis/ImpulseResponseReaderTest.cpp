#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "ImpulseResponse.h"
#include "SyntheticImpulse.h"

namespace caraudio::analysis {
namespace {

using synthetic::Wav;

// A short ramp that every sample format holds exactly enough to compare.
std::vector<double> Ramp(size_t n) {
    std::vector<double> x(n);
    for (size_t i = 0; i < n; ++i) x[i] = -0.5 + static_cast<double>(i) / n;
    return x;
}

TEST(ImpulseResponseReader, ReadsEveryRateAndFormat) {
    struct Case {
        int rate;
        int subtype;
        double resolution;  // one step of the format, full scale 1
    };
    const Case cases[] = {
        {44100, SF_FORMAT_PCM_16, 1.0 / 32768},
        {48000, SF_FORMAT_PCM_24, 1.0 / 8388608},
        {96000, SF_FORMAT_FLOAT, 1e-7},
        {48000, SF_FORMAT_PCM_16, 1.0 / 32768},
    };
    const std::vector<double> ramp = Ramp(1000);
    for (const Case& c : cases) {
        const ImpulseResponseRead r = ReadImpulseResponseBytes(Wav(ramp, c.rate, c.subtype));
        ASSERT_EQ(r.status, ImpulseResponseStatus::Read) << c.rate;
        EXPECT_EQ(r.response.rate, c.rate);
        ASSERT_EQ(r.response.samples.size(), ramp.size());
        for (size_t i = 0; i < ramp.size(); ++i) ASSERT_NEAR(r.response.samples[i], ramp[i], c.resolution);
    }
}

TEST(ImpulseResponseReader, RefusesWhatIsNoImpulseResponse) {
    const std::string wav = Wav(Ramp(100), 48000, SF_FORMAT_PCM_16);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        std::string bytes;
        ImpulseResponseStatus status;
    };
    const Case cases[] = {
        {"text", "* Measurement data\n20.0 68.4 -12.3\n", ImpulseResponseStatus::NotSoundFile},
        {"nothing", "", ImpulseResponseStatus::NotSoundFile},
        {"header cut short", wav.substr(0, 20), ImpulseResponseStatus::NotSoundFile},
        {"stereo", Wav(Ramp(200), 48000, SF_FORMAT_PCM_16, 2), ImpulseResponseStatus::NotMono},
        {"8 kHz", Wav(Ramp(100), 8000, SF_FORMAT_PCM_16), ImpulseResponseStatus::UnsupportedRate},
        {"22.05 kHz", Wav(Ramp(100), 22050, SF_FORMAT_FLOAT), ImpulseResponseStatus::UnsupportedRate},
        {"no samples", Wav({}, 48000, SF_FORMAT_PCM_24), ImpulseResponseStatus::Empty},
        {"10.5 s", Wav(std::vector<double>(504000, 0.1), 48000, SF_FORMAT_PCM_16),
         ImpulseResponseStatus::TooLong},
        {"NaN", Wav({0.1, nan, 0.2}, 48000, SF_FORMAT_FLOAT), ImpulseResponseStatus::NotFinite},
    };
    for (const Case& c : cases) {
        const ImpulseResponseRead r = ReadImpulseResponseBytes(c.bytes);
        EXPECT_EQ(r.status, c.status) << c.name;
        EXPECT_TRUE(r.response.samples.empty()) << c.name;
    }
    // Ten seconds exactly is still a response.
    EXPECT_EQ(ReadImpulseResponseBytes(Wav(std::vector<double>(441000, 0.1), 44100, SF_FORMAT_PCM_16)).status,
              ImpulseResponseStatus::Read);
}

}  // namespace
}  // namespace caraudio::analysis
