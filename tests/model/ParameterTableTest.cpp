#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "ParameterTable.h"

namespace caraudio {
namespace {

std::string Format(const char* fmt, int a, int b = 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, a, b);
    return buf;
}

TEST(ParameterTable, RecordsAreContiguousAndCoverTheImage) {
    const auto& table = Parameters();
    ASSERT_EQ(table.size(), 642u);
    int offset = 0;
    for (size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(table[i].name);
        EXPECT_EQ(table[i].index, static_cast<int>(i));
        EXPECT_EQ(table[i].offset, offset);
        EXPECT_TRUE(table[i].size == 1 || table[i].size == 2);
        offset += table[i].size;
    }
    EXPECT_EQ(offset, 1230);
}

TEST(ParameterTable, NamesAreUnique) {
    std::set<std::string> names;
    for (const auto& r : Parameters()) EXPECT_TRUE(names.insert(r.name).second) << r.name;
}

// Each row of the layout rules: index formula, name, size and offset formula,
// checked independently of how the table is built.
TEST(ParameterTable, EveryRowFollowsTheLayoutRules) {
    struct Expected {
        int index;
        std::string name;
        int size;
        int offset;
    };
    std::vector<Expected> rows = {
        {0, "MuteCtrl", 1, 0},  {1, "PassCtrl", 1, 1}, {2, "PhaseCtrl", 1, 2},
        {3, "ResetCtrl", 1, 3}, {4, "MainVol", 1, 4},  {617, "NoiseGate", 1, 1205},
    };
    for (int n = 0; n < 6; ++n) {
        rows.push_back({5 + n, Format("Volume_%d", n), 1, 5 + n});
        rows.push_back({11 + n, Format("Delay_%d", n), 2, 11 + 2 * n});
        rows.push_back({17 + 2 * n, Format("Box%d_HFliter_Type_Xoct", n), 1, 23 + 3 * n});
        rows.push_back({18 + 2 * n, Format("Box%d_HFliter_Freq", n), 2, 24 + 3 * n});
        rows.push_back({29 + 2 * n, Format("Box%d_LFliter_Type_Xoct", n), 1, 41 + 3 * n});
        rows.push_back({30 + 2 * n, Format("Box%d_LFliter_Freq", n), 2, 42 + 3 * n});
        for (int b = 0; b < 31; ++b) {
            rows.push_back({41 + 93 * n + 3 * b, Format("Box%d_EQ%d_Freq", n, b), 2, 59 + 186 * n + 6 * b});
            rows.push_back({42 + 93 * n + 3 * b, Format("Box%d_EQ%d_Q", n, b), 2, 61 + 186 * n + 6 * b});
            rows.push_back({43 + 93 * n + 3 * b, Format("Box%d_EQ%d_Gain", n, b), 2, 63 + 186 * n + 6 * b});
        }
        rows.push_back({599 + 3 * n, Format("Box%d_Param_Threshold", n), 2, 1175 + 5 * n});
        rows.push_back({600 + 3 * n, Format("Box%d_Param_Attack", n), 2, 1177 + 5 * n});
        rows.push_back({601 + 3 * n, Format("Box%d_Param_Release", n), 1, 1179 + 5 * n});
        for (int k = 0; k < 4; ++k)
            rows.push_back({618 + 4 * n + k, Format("Box%d_Input%d", n, k), 1, 1206 + 4 * n + k});
    }
    ASSERT_EQ(rows.size(), 642u);
    for (const auto& e : rows) {
        const ParamRecord* r = FindParam(e.index);
        ASSERT_NE(r, nullptr) << e.index;
        EXPECT_EQ(r->Name(), e.name) << "index " << e.index;
        EXPECT_EQ(r->size, e.size) << e.name;
        EXPECT_EQ(r->offset, e.offset) << e.name;
    }
}

TEST(ParameterTable, IndexHelpersMatchTheTable) {
    EXPECT_EQ(FindParam(param::BandGain(3, 17))->Name(), "Box3_EQ17_Gain");
    EXPECT_EQ(param::BandGain(3, 17), 373);
    EXPECT_EQ(FindParam(param::HighPassType(5))->Name(), "Box5_HFliter_Type_Xoct");
    EXPECT_EQ(FindParam(param::LowPassFreq(0))->Name(), "Box0_LFliter_Freq");
    EXPECT_EQ(FindParam(param::Release(2))->Name(), "Box2_Param_Release");
    EXPECT_EQ(FindParam(param::Input(5, 3))->Name(), "Box5_Input3");
    EXPECT_EQ(FindParam(param::Input(5, 3))->offset, 1229);
}

TEST(ParameterTable, UnknownIndexesHaveNoRecord) {
    for (int index : {-1, 642, 100000}) EXPECT_EQ(FindParam(index), nullptr) << index;
}

}  // namespace
}  // namespace caraudio
