#pragma once

#include <QObject>
#include <array>
#include <functional>

#include "AppServices.h"
#include "ValueScales.h"

class QWidget;

namespace caraudio::widgets {
class SEdit2;
class SkCheckButton;
class SkSlider;
}  // namespace caraudio::widgets

namespace caraudio::app {

class CCommonDlg;

// The controller of "Mix" (layout XML_MIXSOUNDWD): how the four inputs mix
// into the six channels, with each channel's level, phase, mute and link.
// Every change is written through the model at once.
class CDlgMixSoundEventHandler final : public QObject {
    Q_OBJECT
public:
    static constexpr int kInputs = 4;
    static constexpr int kLevelMax = kInputLevelRaw.hi;

    CDlgMixSoundEventHandler(CCommonDlg& dialog, const AppServices& services);

    // The level an input switch brings back when it is switched on again.
    int RememberedLevel(int block, int input) const {
        return remembered_[static_cast<size_t>(block)][static_cast<size_t>(input)];
    }

private:
    struct Input {
        widgets::SkSlider* slider = nullptr;
        widgets::SEdit2* edit = nullptr;
        widgets::SkCheckButton* off = nullptr;
    };
    struct Strip {
        std::array<Input, kInputs> inputs{};
        widgets::SkCheckButton* label = nullptr;
        widgets::SkSlider* volume = nullptr;
        widgets::SEdit2* volumeEdit = nullptr;
        widgets::SkCheckButton* phase = nullptr;
        widgets::SkCheckButton* mute = nullptr;
        widgets::SkCheckButton* link = nullptr;
    };

    void Build(QWidget* layout);
    void BuildColumn(QWidget* levels, QWidget* strip, int block);
    void BuildMaster(QWidget* frame);
    void Wire();
    void Fill();
    void MarkLabels();

    void SetLevel(int block, int input, int level);
    void LevelEdited(int block, int input, int step);
    void SwitchClicked(int block, int input);
    void VolumeMoved(int block, int raw);
    void VolumeEdited(int block, int step);
    void ShowVolume(int block, int raw);
    void MasterMoved(int raw);
    void MasterEdited(int step);
    void MasterMuteClicked();
    void PhaseClicked(int block);
    void MuteClicked(int block);
    void LabelClicked(int block);
    void LinkClicked(int block);

    CCommonDlg& dialog_;
    AppServices s_;
    std::array<Strip, 6> strips_{};
    std::array<std::array<int, kInputs>, 6> remembered_{};
    widgets::SkSlider* master_ = nullptr;
    widgets::SEdit2* masterEdit_ = nullptr;
    widgets::SkCheckButton* masterMute_ = nullptr;
};

// Runs the window modally over `owner`; `refreshMain` runs when it has
// closed, since both windows edit the same values.
void RunMixSound(QWidget* owner, const AppServices& services, const std::function<void()>& refreshMain);

}  // namespace caraudio::app
