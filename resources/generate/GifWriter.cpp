#include "GifWriter.h"

namespace caraudio::resources {
namespace {

constexpr int kMinCodeSize = 4;  // 16 colours
constexpr int kClear = 1 << kMinCodeSize;
constexpr int kEnd = kClear + 1;
constexpr int kCodeBits = kMinCodeSize + 1;
// Literals between two clear codes: the decoder's table then never reaches
// the size at which codes would grow past five bits.
constexpr int kLiteralsPerClear = (1 << kMinCodeSize) - 3;

void Put16(std::string& out, int v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

class BitWriter {
public:
    void Code(int code) {
        acc_ |= static_cast<uint32_t>(code) << bits_;
        bits_ += kCodeBits;
        while (bits_ >= 8) {
            bytes_ += static_cast<char>(acc_ & 0xFF);
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    std::string Finish() {
        if (bits_ > 0) bytes_ += static_cast<char>(acc_ & 0xFF);
        return bytes_;
    }

private:
    std::string bytes_;
    uint32_t acc_ = 0;
    int bits_ = 0;
};

std::string FrameData(const std::vector<uint8_t>& pixels) {
    BitWriter w;
    int sinceClear = kLiteralsPerClear;
    for (uint8_t p : pixels) {
        if (sinceClear == kLiteralsPerClear) {
            w.Code(kClear);
            sinceClear = 0;
        }
        w.Code(p & 0x0F);
        ++sinceClear;
    }
    w.Code(kEnd);
    return w.Finish();
}

}  // namespace

std::string EncodeGif(const GifAnimation& a) {
    std::string out = "GIF89a";
    Put16(out, a.width);
    Put16(out, a.height);
    out += static_cast<char>(0xB3);  // global table of 16 colours
    out += '\0';                     // background colour
    out += '\0';                     // pixel aspect
    for (const auto& rgb : a.palette)
        for (uint8_t c : rgb) out += static_cast<char>(c);
    out += "\x21\xFF\x0BNETSCAPE2.0\x03\x01";  // loop for ever
    Put16(out, 0);
    out += '\0';
    for (size_t f = 0; f < a.frames.size(); ++f) {
        out += "\x21\xF9\x04";
        out += static_cast<char>(0x09);  // restore to background, colour 0 transparent
        Put16(out, f < a.delays.size() ? a.delays[f] : 0);
        out += '\0';
        out += '\0';
        out += '\x2C';
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, a.width);
        Put16(out, a.height);
        out += '\0';
        out += static_cast<char>(kMinCodeSize);
        const std::string data = FrameData(a.frames[f]);
        for (size_t at = 0; at < data.size(); at += 255) {
            const size_t n = std::min<size_t>(255, data.size() - at);
            out += static_cast<char>(n);
            out.append(data, at, n);
        }
        out += '\0';
    }
    out += '\x3B';
    return out;
}

}  // namespace caraudio::resources
