#include "ReportDescriptor.h"

#include <algorithm>
#include <map>
#include <vector>

namespace caraudio {
namespace {

// Item tags of the short items that decide report sizes.
constexpr int kTypeMain = 0, kTypeGlobal = 1;
constexpr int kMainInput = 8, kMainOutput = 9;
constexpr int kGlobalReportSize = 7, kGlobalReportId = 8, kGlobalReportCount = 9, kGlobalPush = 10,
              kGlobalPop = 11;
// Nothing real comes near this; it keeps the sums far from overflowing.
constexpr uint64_t kBitLimit = 1u << 20;

struct Globals {
    uint64_t reportSize = 0;
    uint64_t reportCount = 0;
    uint32_t reportId = 0;
};

int ByteLength(const std::map<uint32_t, uint64_t>& bits) {
    uint64_t longest = 0;
    for (const auto& [id, b] : bits) longest = std::max(longest, b);
    if (longest == 0) return 0;
    return static_cast<int>((longest + 7) / 8) + 1;
}

}  // namespace

ReportLengths ParseReportDescriptor(const uint8_t* data, size_t size) {
    Globals g;
    std::vector<Globals> stack;
    std::map<uint32_t, uint64_t> inputBits, outputBits;
    bool numbered = false;
    size_t i = 0;
    while (i < size) {
        const uint8_t prefix = data[i];
        if (prefix == 0xFE) {  // long item: skip its data
            if (i + 2 >= size) break;
            i += 3 + data[i + 1];
            continue;
        }
        const size_t len = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (i + 1 + len > size) break;
        uint32_t value = 0;
        for (size_t k = 0; k < len; ++k) value |= static_cast<uint32_t>(data[i + 1 + k]) << (8 * k);
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;
        if (type == kTypeGlobal) {
            switch (tag) {
            case kGlobalReportSize:
                g.reportSize = std::min<uint64_t>(value, kBitLimit);
                break;
            case kGlobalReportCount:
                g.reportCount = std::min<uint64_t>(value, kBitLimit);
                break;
            case kGlobalReportId:
                g.reportId = value;
                numbered = numbered || value != 0;
                break;
            case kGlobalPush:
                stack.push_back(g);
                break;
            case kGlobalPop:
                if (!stack.empty()) {
                    g = stack.back();
                    stack.pop_back();
                }
                break;
            default:
                break;
            }
        } else if (type == kTypeMain && (tag == kMainInput || tag == kMainOutput)) {
            auto& bits = tag == kMainInput ? inputBits : outputBits;
            uint64_t& total = bits[g.reportId];
            total = std::min(kBitLimit, total + g.reportSize * g.reportCount);
        }
        i += 1 + len;
    }
    return {ByteLength(inputBits), ByteLength(outputBits), numbered};
}

}  // namespace caraudio
