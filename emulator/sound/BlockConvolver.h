#pragma once

#include <complex>
#include <cstddef>
#include <memory>
#include <vector>

namespace caraudio::emulator {

// The frames the box's sound is rendered in, and so the most a parameter
// change takes to be heard in full.
inline constexpr size_t kBlockFrames = 256;

// Long taps run on blocks of `frames` (kBlockFrames unless told): uniformly
// partitioned overlap-save, each partition's spectrum made once, so a block
// costs two transforms and one multiply-add per partition and bin.
// Allocates only when made.
class BlockConvolver {
public:
    explicit BlockConvolver(const std::vector<double>& taps, size_t frames = kBlockFrames);
    ~BlockConvolver();
    BlockConvolver(const BlockConvolver&) = delete;
    BlockConvolver& operator=(const BlockConvolver&) = delete;

    // One block in place.
    void Run(double* block);

private:
    struct Transforms;
    std::unique_ptr<Transforms> fft_;
    std::vector<std::vector<std::complex<double>>> partitions_;  // the taps' spectra
    std::vector<std::vector<std::complex<double>>> history_;     // the input's, newest at `newest_`
    size_t newest_ = 0;
    std::vector<double> window_;  // the last two blocks of input
    std::vector<std::complex<double>> sum_;
    size_t frames_;
};

}  // namespace caraudio::emulator
