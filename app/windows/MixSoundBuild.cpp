// The mix window's controls: built in code into the layout's frames, found
// again by their ids.
#include <QLabel>

#include "CommonDialog.h"
#include "Layouts.h"
#include "MixSoundWindow.h"
#include "SEdit2.h"
#include "SkButtons.h"
#include "SkSlider.h"
#include "Translation.h"
#include "ValueScales.h"
#include "WindowParts.h"

namespace caraudio::app {

using namespace widgets;

namespace {

constexpr int kRowHeight = 72;
constexpr int kRowTop = 26;

SkSlider* VerticalSlider(QWidget* parent, int id, int x, int y, int h, int max, int value) {
    return Make<SkSlider>("skslider", parent, x, y, 22, h,
                          {{"id", Num(id)},
                           {"min", "0"},
                           {"max", Num(max)},
                           {"vertical", "1"},
                           {"value", Num(value)},
                           {"bkgndSkin", "slider_rail"},
                           {"posSkin", "slider_pos"},
                           {"thumbSkin", "slider_thumb"},
                           {"showPercent", "1"}});
}

SkCheckButton* Toggle(QWidget* parent, int id, int x, int y, int w, const QString& text,
                      bool autoCheck = true) {
    return Make<SkCheckButton>(
        "skcheckbtn", parent, x, y, w, 22,
        {{"id", Num(id)}, {"skin", "toggle_button"}, {"autoCheck", autoCheck ? "1" : "0"}, {"text", text}});
}

QLabel* Caption(QWidget* parent, int x, int y, int w, const char* text) {
    auto* label = new QLabel(Tr("mainWindow", text), parent);
    label->setGeometry(x, y, w, 20);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

void CDlgMixSoundEventHandler::Build(QWidget* layout) {
    for (int col = 0; col < 6; ++col) {
        const QString n = Num(col + 1);
        BuildColumn(Named<QWidget>(layout, ("input_ch" + n).toLatin1().constData()),
                    Named<QWidget>(layout, ("strip_ch" + n).toLatin1().constData()), kColumnBlocks[col]);
    }
    if (QWidget* master = Named<QWidget>(layout, "master_strip")) BuildMaster(master);
    if (QWidget* links = Named<QWidget>(layout, "link_row"))
        for (int col = 0; col < 6; ++col) {
            const int b = kColumnBlocks[col];
            strips_[static_cast<size_t>(b)].link =
                Make<SkCheckButton>("skcheckbtn", links, 110 * col + 44, 5, 18, 18,
                                    {{"id", Num(8200 + b)}, {"skin", "check_box"}, {"autoCheck", "1"}});
        }
}

void CDlgMixSoundEventHandler::BuildColumn(QWidget* levels, QWidget* strip, int b) {
    Strip& s = strips_[static_cast<size_t>(b)];
    const QString label = QString::fromStdString(ChannelLabel(b));
    if (levels) {
        Caption(levels, 0, 4, levels->width(), "")->setText(label);
        for (int n = 0; n < kInputs; ++n) {
            Input& in = s.inputs[static_cast<size_t>(n)];
            const int y = kRowTop + kRowHeight * n;
            in.slider =
                VerticalSlider(levels, 7000 + 10 * b + n, 16, y + 4, kRowHeight - 8, kLevelMax, kLevelMax);
            in.edit = Make<SEdit2>("edit2", levels, 48, y + kRowHeight / 2 - 11, 48, 22,
                                   {{"id", Num(8000 + 10 * b + n)}, {"text", "100"}});
            in.edit->setAlignment(Qt::AlignCenter);
        }
    }
    if (!strip) return;
    const int w = strip->width();
    s.label = Toggle(strip, 7500 + b, w / 2 - 34, 6, 68, label, false);
    s.volume = VerticalSlider(strip, 7100 + b, 12, 34, 112, kVolumeSliderMax, 60);
    s.phase = Toggle(strip, 7600 + b, 44, 40, 56, Tr("mainWindow", "Phase"));
    for (const auto& [name, value] : {std::pair{"multitip", QString("1")},
                                      {"tip1", Tr("mainWindow", "NPhase")},
                                      {"tip2", Tr("mainWindow", "RPhase")}})
        SetWidgetAttribute(s.phase, name, value);
    s.mute = Toggle(strip, 7700 + b, 44, 70, 56, Tr("mainWindow", "Mute"));
    s.volumeEdit = Make<SEdit2>("edit2", strip, 44, 110, 56, 22, {{"id", Num(7910 + b)}, {"text", "0dB"}});
    s.volumeEdit->setAlignment(Qt::AlignCenter);
    Caption(strip, 0, 156, w, "Signal");
    for (int n = 0; n < kInputs; ++n)
        s.inputs[static_cast<size_t>(n)].off = Toggle(strip, 7800 + 10 * b + n, 8 + (n % 2) * 48,
                                                      182 + (n / 2) * 30, 42, QString("IN%1").arg(n + 1));
}

void CDlgMixSoundEventHandler::BuildMaster(QWidget* frame) {
    const int w = frame->width();
    Caption(frame, 0, 8, w, "Master");
    master_ = VerticalSlider(frame, 7200, w / 2 - 11, 34, 112, kVolumeSliderMax, 60);
    masterEdit_ = Make<SEdit2>("edit2", frame, w / 2 - 28, 152, 56, 22, {{"id", "7900"}, {"text", "0dB"}});
    masterEdit_->setAlignment(Qt::AlignCenter);
    masterMute_ = Toggle(frame, 7400, w / 2 - 28, 182, 56, Tr("mainWindow", "Mute"));
}

}  // namespace caraudio::app
