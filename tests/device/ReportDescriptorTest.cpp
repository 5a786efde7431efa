#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceNames.h"
#include "ReportDescriptor.h"

namespace caraudio {
namespace {

std::vector<uint8_t> Hex(const std::string& text) {
    std::vector<uint8_t> out;
    std::string digits;
    for (char c : text)
        if (c != ' ') digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

TEST(ReportDescriptor, LengthsIncludeTheIdentifierByte) {
    const struct {
        const char* what;
        const char* hex;
        int input, output;
        bool numbered;
    } cases[] = {
        {"64 in, 64 out, unnumbered", "0600FF 0901 A101 7508 9540 0901 8102 9540 0902 9102 C0", 65, 65,
         false},
        {"numbered report 1 of 64 bytes", "0600FF 0901 A101 8501 7508 9540 8102 9540 9102 C0", 65, 65, true},
        {"two reports: the longer counts", "A101 8501 7508 9510 8102 8502 9530 8102 9508 9102 C0", 49, 9,
         true},
        {"bits round up to bytes", "7501 9503 8102 7505 9501 8102", 2, 0, false},
        {"push and pop restore globals", "7508 9540 A4 9502 B4 8102", 65, 0, false},
        {"long item skipped", "FE0210AAAA 7508 9504 8102", 5, 0, false},
        {"truncated item ignored", "7508 9504 8102 96", 5, 0, false},
        {"feature reports do not count", "7508 9540 B102", 0, 0, false},
        {"4-byte data item", "77 08000000 97 02000000 8102", 3, 0, false},
        {"oversize output", "7508 96FF00 9102 9510 8102", 17, 256, false},
        {"empty", "", 0, 0, false},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> d = Hex(c.hex);
        const ReportLengths l = ParseReportDescriptor(d.data(), d.size());
        EXPECT_EQ(l.input, c.input) << c.what;
        EXPECT_EQ(l.output, c.output) << c.what;
        EXPECT_EQ(l.numbered, c.numbered) << c.what;
    }
}

TEST(DeviceNames, VendorAndProductComeFromTheInterfaceName) {
    const struct {
        const char* name;
        bool ok;
        uint16_t vid, pid;
    } cases[] = {
        {"\\\\?\\hid#vid_1209&pid_0d59#7&2a&0&0000#{4d1e55b2}", true, 0x1209, 0x0D59},
        {"\\\\?\\HID#VID_ABCD&PID_EF01#x", true, 0xABCD, 0xEF01},
        {"#VID_1209&PID_0D59", true, 0x1209, 0x0D59},
        {"\\\\?\\HID#VID_12G9&PID_0D59#x", false, 0, 0},
        {"\\\\?\\HID#VID_1209&PID_0D5#", false, 0, 0},
        {"\\\\?\\HID#VID_1209&PID_0D", false, 0, 0},
        {"\\\\?\\HID&VID_1209&PID_0D59#x", false, 0, 0},
        {"/dev/hidraw3", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const auto& c : cases) {
        uint16_t vid = 0, pid = 0;
        EXPECT_EQ(ParseVidPid(c.name, vid, pid), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(vid, c.vid) << c.name;
            EXPECT_EQ(pid, c.pid) << c.name;
        }
    }
    uint16_t vid, pid;
    ASSERT_TRUE(ParseVidPid(InterfaceName(0x1209, 0x0D59, "/dev/hidraw3"), vid, pid));
    EXPECT_EQ(vid, 0x1209);
    EXPECT_EQ(pid, 0x0D59);
    EXPECT_TRUE(SamePath("/dev/HIDRAW3", "/dev/hidraw3"));
    EXPECT_FALSE(SamePath("/dev/hidraw3", "/dev/hidraw30"));
}

}  // namespace
}  // namespace caraudio
