#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <memory>

#include "ChannelCurves.h"
#include "EffectBlock.h"
#include "SMoveThumb.h"
#include "SkEQ.h"
#include "WidgetRegistry.h"

namespace caraudio::widgets::test {

// The main window's editor: its axis, layers, 31 band thumbs, H, L and Q handles.
class Editor : public ::testing::Test {
protected:
    void SetUp() override {
        grid.Build(17);
        eq = std::make_unique<SkEQ>();
        for (auto [n, v] : {std::pair{"ldist", "36"},
                            {"tdist", "13"},
                            {"rdist", "5"},
                            {"bdist", "15"},
                            {"dbMax", "24"},
                            {"dbMin", "-24"},
                            {"nKedu", "8"},
                            {"dbKeduVal", "12"},
                            {"zeroXFreq", "17"},
                            {"colorBkgnd", "#000000ff"}})
            ASSERT_TRUE(eq->SetAttribute(n, v)) << n;
        eq->resize(900, 400);
        auto* g = CreateWidget("skeqgrid", eq.get());
        SetWidgetAttribute(g, "colorBorder", "#ffffffdd");
        curve = static_cast<SkEqCurve*>(CreateWidget("skeqcurve", eq.get()));
        SetWidgetAttribute(curve, "colorLine", "#c027c0ff");
        SetWidgetAttribute(curve, "colorCurrLine", "#80808050");
        for (int n = 0; n < 31; ++n) Thumb(n, 25, 25);
        Thumb(-1, 25, 25);
        Thumb(-2, 25, 25);
        Thumb(-5, 20, 17);
        Thumb(-6, 20, 17);
        Thumb(77, 10, 10);  // no slot: ignored
        eq->show();
        block = DefaultEffectBlock();
    }

    SMoveThumb* Thumb(int data, int w, int h) {
        auto* t = static_cast<SMoveThumb*>(CreateWidget("moveThumb", eq.get()));
        SetWidgetAttribute(t, "data", QString::number(data));
        SetWidgetAttribute(t, "id", QString::number(900 + data));
        t->resize(w, h);
        return t;
    }

    void Load() {
        curves.RebuildChannel(2, block);
        eq->SetEqData(&curves.Model(2));
    }
    QImage Picture() { return eq->grab().toImage(); }
    EqCurveModel& Model() { return curves.Model(2); }

    FrequencyGrid grid;
    ChannelCurves curves{grid};
    std::unique_ptr<SkEQ> eq;
    SkEqCurve* curve = nullptr;
    EffectBlock block;
};

}  // namespace caraudio::widgets::test
