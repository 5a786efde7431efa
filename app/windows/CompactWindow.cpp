#include "CompactWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ConnectionIndicator.h"
#include "DeviceModeRecall.h"
#include "EditSession.h"
#include "Layouts.h"
#include "LoginDialog.h"
#include "Look.h"
#include "MainWindow.h"
#include "ParamDatabase.h"
#include "Prompter.h"
#include "SWindow.h"
#include "SessionHooks.h"
#include "SkButtons.h"
#include "SkRotaryKnob.h"
#include "StepLabels.h"
#include "Translation.h"
#include "WindowParts.h"

namespace caraudio::app {

using namespace widgets;

namespace {

constexpr int kAllChannels = 0x3F;

}  // namespace

CMiniDlg::CMiniDlg(const AppServices& services, CMainDlg& main, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      runLogin(RunAdvancedLogin),
      s_(services),
      main_(main) {
    setObjectName("CMiniDlg");
    setAttribute(Qt::WA_DeleteOnClose);
    ApplyLook(this);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    layout_ = LoadLayout("XML_MAINWND2", this);
    topmostTimer_.setSingleShot(true);
    refreshTimer_.setSingleShot(true);
    connect(&topmostTimer_, &QTimer::timeout, this, [this] { OnTimer(kTopmostTimerId); });
    connect(&refreshTimer_, &QTimer::timeout, this, [this] { OnTimer(kRefreshTimerId); });
    if (!layout_) return;
    box->addWidget(layout_);
    setFixedSize(layout_->size());
    PaintBackground(layout_, QColor(0x33, 0x33, 0x33));
    if (auto* title = Named<QWidget>(layout_, "title")) {
        setWindowTitle(title->property("text").toString());
        MakeDragHandle(title);
    }
    Connect();
    InstallUndoKeys(this, s_.session, [this] { s_.session.Switch(); });
    connect(&s_.sessionEvents, &SessionEvents::tuningReplaced, this, &CMiniDlg::RefreshCompact);
    connect(&s_.sessionEvents, &SessionEvents::stepsChanged, this, &CMiniDlg::ShowSide);
    RefreshCompact();
    initialised_ = true;
}

void CMiniDlg::Connect() {
    // The preset radios and the level radios each sit in a frame of their
    // own, which makes each set exclusive.
    for (int m = 0; m < 8; ++m) {
        presets_[static_cast<size_t>(m)] = Control<SkRadioButton>(layout_, 2000 + m);
        if (SkRadioButton* r = presets_[static_cast<size_t>(m)]) {
            connect(r, &QAbstractButton::toggled, this, [this, m](bool on) {
                if (on && initialised_) RecallPreset(m);
            });
        }
    }
    master_ = Control<SkRadioButton>(layout_, 1005);
    sub_ = Control<SkRadioButton>(layout_, 1006);
    for (SkRadioButton* r : {master_, sub_})
        if (r) connect(r, &QAbstractButton::clicked, this, &CMiniDlg::ShowLevel);
    if (master_) master_->setChecked(true);
    knob_ = Control<SkRotaryKnob>(layout_, 1000);
    if (knob_) {
        knob_->SetRange(0, kLevelMax);
        connect(knob_, &SkRotaryKnob::sliderPos, this, &CMiniDlg::WriteLevel);
        // A turn by the mouse is one step; wheel and keys merge in WriteLevel.
        StepPerGesture(knob_, s_.session, [this] { return StepLabel(Sub() ? "Sub level" : "Master level"); });
    }
    side_ = Named<QLabel>(layout_, "tuning_side");
    levelText_ = Control<SWindow>(layout_, 3000);
    mute_ = Control<SkCheckButton>(layout_, 1003);
    if (mute_) connect(mute_, &QAbstractButton::clicked, this, &CMiniDlg::MuteClicked);
    indicator_ = Control<SkCheckButton>(layout_, 1004);
    if (indicator_) connect(indicator_, &QAbstractButton::clicked, this, &CMiniDlg::ConnectClicked);
    for (auto [id, step] : {std::pair{1001, +1}, {1002, -1}})
        if (auto* b = Control<QPushButton>(layout_, id))
            connect(b, &QPushButton::clicked, this, [this, step = step] {
                // Nothing is written while neither level radio is checked.
                if (!Sub() && !(master_ && master_->isChecked())) return;
                WriteLevel(std::clamp(Level() + step, 0, kLevelMax));
            });
    if (auto* b = Named<QPushButton>(layout_, "btn_advanced"))
        connect(b, &QPushButton::clicked, this, &CMiniDlg::AdvancedClicked);
    if (auto* b = Named<QPushButton>(layout_, "btn_min"))
        connect(b, &QPushButton::clicked, this, &QWidget::showMinimized);
    if (auto* b = Named<QPushButton>(layout_, "btn_close"))
        connect(b, &QPushButton::clicked, this, &QWidget::close);
}

bool CMiniDlg::Sub() const {
    return sub_ && sub_->isChecked();
}

// The raw level the knob controls: MainVol, or Volume_0 for "Sub".
int CMiniDlg::Level() const {
    if (master_ && master_->isChecked()) return s_.db.GetParam(param::MainVol);
    if (Sub()) return s_.db.GetParam(param::Volume(0));
    return 0;
}

void CMiniDlg::ShowLevel() {
    const int v = std::min(Level(), kLevelMax);
    if (knob_) {
        const bool blocked = knob_->blockSignals(true);
        knob_->SetValue(v);
        knob_->blockSignals(blocked);
    }
    if (levelText_) levelText_->SetText(QString("%1dB").arg(v - 60));
}

void CMiniDlg::WriteLevel(int value) {
    // A run of knob steps or +/- clicks without a pause is one step.
    EditSession::Scope step(s_.session, StepLabel(Sub() ? "Sub level" : "Master level"),
                            Sub() ? "compact.sub" : "compact.master");
    if (master_ && master_->isChecked()) {
        s_.db.SetMainVolume(static_cast<uint16_t>(value));
    } else if (Sub()) {
        // CH5 and CH6, and whatever is linked to them.
        s_.db.SetChannelVolume(0, static_cast<uint16_t>(value));
        s_.db.SetChannelVolume(1, static_cast<uint16_t>(value));
    }
    ShowLevel();
}

void CMiniDlg::MuteClicked() {
    EditSession::Scope step(s_.session, StepLabel(mute_->isChecked() ? "Mute all" : "Unmute all"));
    s_.db.SetParam(param::MuteCtrl, mute_->isChecked() ? kAllChannels : 0);
}

void CMiniDlg::ShowMode() {
    const int mode = s_.db.CurrentDeviceMode();
    if (mode >= 0 && mode < 8) {
        CheckQuietly(presets_[static_cast<size_t>(mode)], true);
        return;
    }
    // No mode known: none is shown as chosen (an exclusive set would keep one).
    for (SkRadioButton* r : presets_)
        if (r) {
            r->setAutoExclusive(false);
            CheckQuietly(r, false);
            r->setAutoExclusive(true);
        }
}

void CMiniDlg::RefreshCompact() {
    if (!layout_) return;
    ShowMode();
    ShowLevel();
    CheckQuietly(mute_, (s_.db.GetParam(param::MuteCtrl) & kAllChannels) == kAllChannels);
    ShowConnectionState(indicator_, BoxConnected(s_.manager, s_.db));
    ShowSide();
}

void CMiniDlg::ShowSide() {
    if (!side_) return;
    side_->setText(TuningName(s_.session.CurrentSide()));
}

void CMiniDlg::RecallPreset(int mode) {
    if (recalling_) return;
    recalling_ = true;
    const char* problem = RecallDeviceModeSettled(s_.manager, s_.db, s_.session, mode, this);
    main_.RefreshAll();
    RefreshCompact();
    if (problem) s_.prompter.Inform(this, Tr("messagebox", problem));
    recalling_ = false;
}

void CMiniDlg::ConnectClicked() {
    ToggleConnection(s_.db, s_.session, indicator_ && indicator_->isChecked(), s_.prompter);
    RefreshCompact();
}

void CMiniDlg::AdvancedClicked() {
    if (!runLogin || !runLogin(this)) return;
    main_.RefreshAll();
    main_.showNormal();
    main_.activateWindow();
    advancing_ = true;
    emit advanced();
    close();
}

void CMiniDlg::changeEvent(QEvent* e) {
    // After the layout's texts are translated again, the indicator's own.
    if (e->type() == QEvent::LanguageChange && layout_)
        QTimer::singleShot(0, this, [this] { RefreshCompact(); });
    QWidget::changeEvent(e);
}

// Closing this window before the login ends the program.
void CMiniDlg::closeEvent(QCloseEvent* e) {
    if (!advancing_) emit closed();
    e->accept();
}

void CMiniDlg::StartTimer(int timerId, int milliseconds) {
    if (timerId == kTopmostTimerId) topmostTimer_.start(milliseconds);
    if (timerId == kRefreshTimerId) refreshTimer_.start(milliseconds);
}

bool CMiniDlg::TimerActive(int timerId) const {
    if (timerId == kTopmostTimerId) return topmostTimer_.isActive();
    if (timerId == kRefreshTimerId) return refreshTimer_.isActive();
    return false;
}

void CMiniDlg::OnTimer(int timerId) {
    if (timerId == kTopmostTimerId) {
        topmostTimer_.stop();
        // Dropping the flag re-creates the native window: show it again.
        const bool shown = isVisible();
        setWindowFlag(Qt::WindowStaysOnTopHint, false);
        if (shown) show();
    } else if (timerId == kRefreshTimerId) {
        refreshTimer_.stop();
        RefreshCompact();
    }
}

}  // namespace caraudio::app
