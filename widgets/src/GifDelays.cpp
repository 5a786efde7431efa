#include "GifDelays.h"

namespace caraudio::widgets {
namespace {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Has(size_t n) const { return at_ + n <= size_; }
    uint8_t Byte() { return Has(1) ? data_[at_++] : 0; }
    int Word() {
        const int lo = Byte();
        return lo | (Byte() << 8);
    }
    bool Skip(size_t n) {
        if (!Has(n)) return false;
        at_ += n;
        return true;
    }
    // Data sub-blocks up to their terminator.
    bool SkipSubBlocks() {
        while (Has(1)) {
            const uint8_t n = Byte();
            if (n == 0) return true;
            if (!Skip(n)) return false;
        }
        return false;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

size_t ColourTableSize(uint8_t packed) {
    return packed & 0x80 ? 3u << ((packed & 0x07) + 1) : 0;
}

}  // namespace

std::vector<int> GifFrameDelays(const uint8_t* data, size_t size) {
    std::vector<int> delays;
    Reader r(data, size);
    if (!r.Has(13) || data[0] != 'G' || data[1] != 'I' || data[2] != 'F') return delays;
    r.Skip(10);
    const uint8_t packed = r.Byte();
    r.Skip(2);
    if (!r.Skip(ColourTableSize(packed))) return delays;
    int pendingDelay = 0;
    while (r.Has(1)) {
        const uint8_t introducer = r.Byte();
        if (introducer == 0x3B) break;  // trailer
        if (introducer == 0x21) {
            const uint8_t label = r.Byte();
            if (label == 0xF9 && r.Has(6)) {
                const uint8_t length = r.Byte();
                r.Byte();  // packed fields
                pendingDelay = r.Word();
                if (!r.Skip(length >= 3 ? length - 3u : 0u)) break;
            }
            if (!r.SkipSubBlocks()) break;
        } else if (introducer == 0x2C) {
            if (!r.Has(9)) break;
            r.Skip(8);
            const uint8_t local = r.Byte();
            if (!r.Skip(ColourTableSize(local)) || !r.Skip(1) || !r.SkipSubBlocks()) break;
            delays.push_back(pendingDelay);
            pendingDelay = 0;
        } else {
            break;
        }
    }
    return delays;
}

}  // namespace caraudio::widgets
