#include "DelayLayout.h"

#include <bit>
#include <cstring>

#include "HexBlock.h"
#include "Settings.h"

namespace caraudio::storage {
namespace {

class Writer {
public:
    explicit Writer(std::array<uint8_t, DelayLayout::kSize>& out) : out_(out) {}
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) out_[at_++] = static_cast<uint8_t>(v >> (8 * i));
    }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void F64(double v) {
        const auto bits = std::bit_cast<uint64_t>(v);
        U32(static_cast<uint32_t>(bits));
        U32(static_cast<uint32_t>(bits >> 32));
    }
    void Bytes(const uint8_t* p, size_t n) {
        std::memcpy(out_.data() + at_, p, n);
        at_ += n;
    }

private:
    std::array<uint8_t, DelayLayout::kSize>& out_;
    size_t at_ = 0;
};

class Reader {
public:
    explicit Reader(const std::array<uint8_t, DelayLayout::kSize>& in) : in_(in) {}
    uint32_t U32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(in_[at_++]) << (8 * i);
        return v;
    }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    double F64() {
        const uint64_t lo = U32();
        const uint64_t hi = U32();
        return std::bit_cast<double>(lo | (hi << 32));
    }
    void Bytes(uint8_t* p, size_t n) {
        std::memcpy(p, in_.data() + at_, n);
        at_ += n;
    }

private:
    const std::array<uint8_t, DelayLayout::kSize>& in_;
    size_t at_ = 0;
};

}  // namespace

std::array<uint8_t, DelayLayout::kSize> EncodeDelayLayout(const DelayLayout& d) {
    std::array<uint8_t, DelayLayout::kSize> out{};
    Writer w(out);
    for (int32_t v :
         {d.carWidth, d.zhouJu, d.xStart, d.yStart, d.mmPerScale, d.mmPerPx, d.listener.x, d.listener.y})
        w.I32(v);
    for (const auto& p : d.speakers) {
        w.I32(p.x);
        w.I32(p.y);
    }
    for (double mm : d.delayMm) w.F64(mm);
    w.I32(d.positionsValid);
    w.Bytes(d.reserved.data(), d.reserved.size());
    return out;
}

DelayLayout DecodeDelayLayout(const std::array<uint8_t, DelayLayout::kSize>& bytes) {
    DelayLayout d;
    Reader r(bytes);
    for (int32_t* v : {&d.carWidth, &d.zhouJu, &d.xStart, &d.yStart, &d.mmPerScale, &d.mmPerPx, &d.listener.x,
                       &d.listener.y})
        *v = r.I32();
    for (auto& p : d.speakers) {
        p.x = r.I32();
        p.y = r.I32();
    }
    for (double& mm : d.delayMm) mm = r.F64();
    d.positionsValid = r.I32();
    r.Bytes(d.reserved.data(), d.reserved.size());
    return d;
}

DelayLayout ReadDelayLayout(const IniDocument& doc) {
    const std::string text = doc.GetText(key::kConfig, key::kDelay);
    std::array<uint8_t, DelayLayout::kSize> bytes{};
    // A shorter record than ours is not one we wrote: the default is safer.
    const auto decoded = DecodeHexBlock(text, bytes.data(), bytes.size());
    if (!decoded || *decoded != DelayLayout::kSize) return DelayLayout{};
    return DecodeDelayLayout(bytes);
}

void WriteDelayLayout(IniDocument& doc, const DelayLayout& layout) {
    const auto bytes = EncodeDelayLayout(layout);
    doc.SetText(key::kConfig, key::kDelay, EncodeHexBlock(bytes.data(), bytes.size()));
}

}  // namespace caraudio::storage
