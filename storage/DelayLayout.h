#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace caraudio::storage {

class IniDocument;

// The car geometry of the delay calculator: 136 bytes little-endian in the
// settings file, under Config/Delay.
struct DelayLayout {
    static constexpr size_t kSize = 136;
    static constexpr int kSpeakers = 6;

    struct Point {
        int32_t x = 0;
        int32_t y = 0;
        bool operator==(const Point&) const = default;
    };

    int32_t carWidth = 1825;
    int32_t zhouJu = 2680;  // wheelbase
    int32_t xStart = -2000;
    int32_t yStart = -2000;
    int32_t mmPerScale = 500;
    int32_t mmPerPx = 10;
    Point listener;
    std::array<Point, kSpeakers> speakers{};  // "CH1" to "CH6"
    std::array<double, kSpeakers> delayMm{};  // extra path per speaker, mm
    int32_t positionsValid = 0;
    std::array<uint8_t, 4> reserved{};  // kept as read

    bool operator==(const DelayLayout&) const = default;
};

std::array<uint8_t, DelayLayout::kSize> EncodeDelayLayout(const DelayLayout& layout);
DelayLayout DecodeDelayLayout(const std::array<uint8_t, DelayLayout::kSize>& bytes);

// Config/Delay of the document, or the default record when it is missing
// or does not decode.
DelayLayout ReadDelayLayout(const IniDocument& doc);
void WriteDelayLayout(IniDocument& doc, const DelayLayout& layout);

}  // namespace caraudio::storage
