// One channel's settings as a line of config.ini: what a measurement was
// taken through, kept from one start to the next, and refused whole when
// the line is damaged.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "ChannelSettingsText.h"
#include "HexBlock.h"
#include "ParameterTable.h"

namespace caraudio::storage {
namespace {

constexpr int kCh2 = 3, kCh3 = 4;  // block indexes

void Put(EffectBlock& image, int index, uint16_t v) {
    image.Set(*FindParam(index), v);
}
uint16_t Got(const EffectBlock& image, int index) {
    return image.Get(*FindParam(index));
}

// CH2 with every kept setting off its default; the polarity bit of CH2 set.
EffectBlock Tuned() {
    EffectBlock image;
    Put(image, param::Volume(kCh2), 52);
    Put(image, param::Delay(kCh2), 300);
    Put(image, param::PhaseCtrl, static_cast<uint16_t>(1 << kCh2));
    Put(image, param::HighPassType(kCh2), 2 << 6 | 3);  // Linkwitz 24 dB/oct
    Put(image, param::HighPassFreq(kCh2), 80);
    Put(image, param::LowPassType(kCh2), 1 << 6 | 1);  // Bessel 12 dB/oct
    Put(image, param::LowPassFreq(kCh2), 3000);
    for (int b = 0; b < kBandCount; ++b) {
        Put(image, param::BandFreq(kCh2, b), static_cast<uint16_t>(20 + 600 * b));
        Put(image, param::BandQ(kCh2, b), static_cast<uint16_t>(150 + 10 * b));
        Put(image, param::BandGain(kCh2, b), static_cast<uint16_t>(-1200 + 77 * b));
    }
    return image;
}

// The line's bytes as its layout says: 16-bit words, low byte first, in the
// order level, delay, polarity, high-pass type and frequency, low-pass type
// and frequency, then each band's frequency, Q and gain.
std::vector<uint8_t> ExpectedBytes(const EffectBlock& image, int ch) {
    std::vector<uint16_t> words = {Got(image, param::Volume(ch)),
                                   Got(image, param::Delay(ch)),
                                   static_cast<uint16_t>((Got(image, param::PhaseCtrl) >> ch) & 1),
                                   Got(image, param::HighPassType(ch)),
                                   Got(image, param::HighPassFreq(ch)),
                                   Got(image, param::LowPassType(ch)),
                                   Got(image, param::LowPassFreq(ch))};
    for (int b = 0; b < kBandCount; ++b)
        for (int index : {param::BandFreq(ch, b), param::BandQ(ch, b), param::BandGain(ch, b)})
            words.push_back(Got(image, index));
    std::vector<uint8_t> bytes;
    for (uint16_t w : words)
        bytes.insert(bytes.end(), {static_cast<uint8_t>(w & 0xFF), static_cast<uint8_t>(w >> 8)});
    return bytes;
}

TEST(ChannelSettingsText, TheLineHoldsTheChannelsSettingsInItsLayout) {
    const EffectBlock tuned = Tuned();
    const std::string text = EncodeChannelSettings(tuned, kCh2);
    const std::vector<uint8_t> expected = ExpectedBytes(tuned, kCh2);
    std::vector<uint8_t> bytes(expected.size() + 8);
    const auto n = DecodeHexBlock(text, bytes.data(), bytes.size());
    ASSERT_TRUE(n);
    bytes.resize(*n);
    EXPECT_EQ(bytes, expected);

    // Back into an image whose other channels have settings of their own:
    // only CH2's come from the line, and CH3's polarity bit stays.
    EffectBlock into;
    Put(into, param::PhaseCtrl, static_cast<uint16_t>(1 << kCh3));
    Put(into, param::BandGain(kCh3, 4), 450);
    Put(into, param::Volume(kCh3), 33);
    ASSERT_TRUE(DecodeChannelSettings(text, kCh2, into));
    EXPECT_EQ(ExpectedBytes(into, kCh2), expected);
    EXPECT_EQ(Got(into, param::PhaseCtrl), (1 << kCh2) | (1 << kCh3));
    EXPECT_EQ(Got(into, param::BandGain(kCh3, 4)), 450);
    EXPECT_EQ(Got(into, param::Volume(kCh3)), 33);

    // Polarity off comes back off, whatever the image had.
    EffectBlock normal = tuned;
    Put(normal, param::PhaseCtrl, 0);
    EffectBlock inverted;
    Put(inverted, param::PhaseCtrl, 0x3F);
    ASSERT_TRUE(DecodeChannelSettings(EncodeChannelSettings(normal, kCh2), kCh2, inverted));
    EXPECT_EQ(Got(inverted, param::PhaseCtrl), 0x3F & ~(1 << kCh2));
}

TEST(ChannelSettingsText, ADamagedLineChangesNothing) {
    const EffectBlock tuned = Tuned();
    const std::string good = EncodeChannelSettings(tuned, kCh2);
    const std::vector<uint8_t> bytes = ExpectedBytes(tuned, kCh2);
    auto withWord = [&](size_t word, uint16_t v) {
        std::vector<uint8_t> b = bytes;
        b[2 * word] = static_cast<uint8_t>(v & 0xFF);
        b[2 * word + 1] = static_cast<uint8_t>(v >> 8);
        return EncodeHexBlock(b.data(), b.size());
    };
    std::string oneDigit = good;
    oneDigit[10] = oneDigit[10] == '0' ? '1' : '0';
    std::vector<uint8_t> longer = bytes;
    longer.insert(longer.end(), {0, 0});
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"cut short by a word", good.substr(0, good.size() - 6) + good.substr(good.size() - 2)},
        {"a digit changed: the check byte does not match", oneDigit},
        {"lower-case digits",
         [&] {
             std::string t = good;
             for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
             return t;
         }()},
        {"a word too many", EncodeHexBlock(longer.data(), longer.size())},
        {"polarity neither 0 nor 1", withWord(2, 2)},
        {"a high-pass type beyond a byte", withWord(3, 0x1C3)},
        {"a low-pass type beyond a byte", withWord(5, 0x100)},
        {"not hex", std::string(good.size(), 'Z')},
    };
    for (const auto& c : cases) {
        EffectBlock image;
        Put(image, param::Volume(kCh2), 11);
        Put(image, param::PhaseCtrl, 0x15);
        const EffectBlock before = image;
        EXPECT_FALSE(DecodeChannelSettings(c.text, kCh2, image)) << c.what;
        EXPECT_EQ(image, before) << c.what;
    }
    EffectBlock image;
    EXPECT_FALSE(DecodeChannelSettings(good, 6, image)) << "no such channel";
    EXPECT_TRUE(EncodeChannelSettings(tuned, -1).empty());
}

}  // namespace
}  // namespace caraudio::storage
