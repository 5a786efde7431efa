#include "HexBlock.h"

#include "CheckByte.h"

namespace caraudio::storage {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& out, uint8_t b) {
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
}

int UpperHexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int AnyHexValue(char c) {
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return UpperHexValue(c);
}

// Two digits at `at`, or -1.
template <int (*Value)(char)>
int ByteAt(std::string_view text, size_t at) {
    const int hi = Value(text[at]);
    const int lo = Value(text[at + 1]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

std::string Encode(const uint8_t* data, size_t size, uint8_t check) {
    std::string out;
    out.reserve(2 * size + 2);
    for (size_t i = 0; i < size; ++i) AppendHex(out, data[i]);
    AppendHex(out, check);
    return out;
}

}  // namespace

std::string EncodeHexBlock(const uint8_t* data, size_t size) {
    return Encode(data, size, CheckByte(data, size));
}

std::optional<size_t> DecodeHexBlock(std::string_view text, uint8_t* out, size_t capacity) {
    const size_t length = text.size();
    if (length == 0 || length % 2 != 0 || length - 2 > 2 * capacity) return std::nullopt;
    const size_t count = (length - 2) / 2;
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) {
        const int b = ByteAt<UpperHexValue>(text, 2 * i);
        if (b < 0) return std::nullopt;
        bytes[i] = static_cast<uint8_t>(b);
    }
    const int check = ByteAt<UpperHexValue>(text, length - 2);
    if (check < 0 || check != CheckByte(bytes.data(), count)) return std::nullopt;
    std::copy(bytes.begin(), bytes.end(), out);
    return count;
}

std::string EncodeProfileStruct(const uint8_t* data, size_t size) {
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i) sum += data[i];
    return Encode(data, size, static_cast<uint8_t>(sum));
}

bool DecodeProfileStruct(std::string_view text, uint8_t* out, size_t size) {
    if (text.size() != 2 * size + 2) return false;
    std::vector<uint8_t> bytes(size);
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i) {
        const int b = ByteAt<AnyHexValue>(text, 2 * i);
        if (b < 0) return false;
        bytes[i] = static_cast<uint8_t>(b);
        sum += bytes[i];
    }
    const int check = ByteAt<AnyHexValue>(text, 2 * size);
    if (check < 0 || check != static_cast<int>(sum & 0xFF)) return false;
    std::copy(bytes.begin(), bytes.end(), out);
    return true;
}

}  // namespace caraudio::storage
