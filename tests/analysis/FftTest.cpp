#include <gtest/gtest.h>

#include <random>

#include "Fft.h"
#include "TextbookDft.h"

namespace caraudio::analysis {
namespace {

struct FftCase {
    size_t samples, size;
};

class FftTest : public ::testing::TestWithParam<FftCase> {};

// Every bin is the DTFT at k * rate / size, zero padding included, and the
// way back gives the samples again.
TEST_P(FftTest, BinsAreTheTransformAndComeBack) {
    const auto [count, size] = GetParam();
    std::mt19937 random(static_cast<unsigned>(count + size));
    std::normal_distribution<double> value(0, 1);
    std::vector<double> x(count);
    for (double& v : x) v = value(random);
    const std::vector<std::complex<double>> bins = RealSpectrum(x, size);
    ASSERT_EQ(bins.size(), size / 2 + 1);
    std::vector<double> kept(x.begin(), x.begin() + static_cast<long>(std::min(count, size)));
    for (size_t k = 0; k < bins.size(); k += std::max<size_t>(1, size / 64)) {
        const std::complex<double> truth =
            test::Dtft(kept, static_cast<double>(size), static_cast<double>(k));
        EXPECT_NEAR(std::abs(bins[k] - truth), 0, 1e-9 * std::sqrt(static_cast<double>(count)) + 1e-12)
            << "bin " << k;
    }
    const std::vector<double> back = RealSamples(bins, size);
    ASSERT_EQ(back.size(), size);
    for (size_t n = 0; n < size; ++n) EXPECT_NEAR(back[n], n < kept.size() ? kept[n] : 0.0, 1e-12) << n;
}

INSTANTIATE_TEST_SUITE_P(Sizes, FftTest,
                         ::testing::Values(FftCase{16, 16}, FftCase{100, 256}, FftCase{300, 256},
                                           FftCase{1, 2}, FftCase{5000, 8192}));

TEST(FftSizeTest, NextPowerOfTwo) {
    for (const auto& [n, size] : {std::pair<size_t, size_t>{0, 2}, {2, 2}, {3, 4}, {1024, 1024}, {1025, 2048}})
        EXPECT_EQ(FftSizeFor(n), size) << n;
}

TEST(FftSizeTest, MismatchedBinsGiveNothing) {
    EXPECT_TRUE(RealSamples(std::vector<std::complex<double>>(10), 16).empty());
    EXPECT_TRUE(RealSpectrum({1.0}, 1).empty());
}

}  // namespace
}  // namespace caraudio::analysis
