#include "DelaySettingsDialog.h"

#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "EditSession.h"
#include "Layouts.h"
#include "SessionHooks.h"
#include "Settings.h"
#include "SkCar.h"
#include "StepLabels.h"

namespace caraudio::app {

using storage::DelayLayout;

namespace {

// A damaged record must not give the map a geometry it cannot draw, nor
// positions whose pixel arithmetic overflows: such values take the defaults.
DelayLayout Sensible(DelayLayout record) {
    const DelayLayout defaults;
    auto within = [](int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; };
    if (!within(record.carWidth, 100, 20000) || !within(record.zhouJu, 100, 20000) ||
        !within(record.xStart, -100000, 100000) || !within(record.yStart, -100000, 100000) ||
        !within(record.mmPerScale, 1, 100000) || !within(record.mmPerPx, 1, 1000)) {
        record.carWidth = defaults.carWidth;
        record.zhouJu = defaults.zhouJu;
        record.xStart = defaults.xStart;
        record.yStart = defaults.yStart;
        record.mmPerScale = defaults.mmPerScale;
        record.mmPerPx = defaults.mmPerPx;
    }
    auto clamp = [&record](DelayLayout::Point& p) {
        p.x = std::clamp(p.x, 0, record.carWidth);
        p.y = std::clamp(p.y, 0, record.zhouJu);
    };
    for (DelayLayout::Point& p : record.speakers) clamp(p);
    clamp(record.listener);
    return record;
}

}  // namespace

CDlgDelaySettings::CDlgDelaySettings(const DelayLayout& record, ApplyDistances apply, QWidget* parent)
    : CCommonDlg("XML_DELAYSETTINGS", parent),
      working_(Sensible(record)),
      opening_(working_),
      apply_(std::move(apply)) {
    if (!Layout()) return;
    car_ = Named<widgets::SkCar>(Layout(), "car_delay");
    if (auto* b = Named<QPushButton>(Layout(), "btnDefault"))
        connect(b, &QPushButton::clicked, this, &CDlgDelaySettings::OnDefault);
    if (auto* b = Named<QPushButton>(Layout(), "btnUndo"))
        connect(b, &QPushButton::clicked, this, &CDlgDelaySettings::OnUndo);
    for (const char* name : {"btnOK", "btnCancel"})
        if (auto* b = Named<QPushButton>(Layout(), name))
            connect(b, &QPushButton::clicked, this, [this] { done(kCancel); });
    StartUp();
}

void CDlgDelaySettings::StartUp() {
    if (!car_) return;
    // The stored scale starts would leave the front of a long car off the
    // map: the car is centred on it instead, whatever the record says.
    widgets::CarAttributes geometry = car_->Attributes();
    geometry.carWidth = working_.carWidth;
    geometry.zhouJu = working_.zhouJu;
    geometry.mmPerScale = working_.mmPerScale;
    geometry.mmPerPx = working_.mmPerPx;
    const widgets::IntPoint starts = widgets::CentredStarts(geometry, car_->width(), car_->height());
    working_.xStart = starts.x;
    working_.yStart = starts.y;
    const std::pair<const char*, int> attributes[] = {
        {"carWidth", working_.carWidth}, {"zhouJu", working_.zhouJu},         {"xStart", working_.xStart},
        {"yStart", working_.yStart},     {"mmPerScale", working_.mmPerScale}, {"mmPerPx", working_.mmPerPx}};
    for (const auto& [name, value] : attributes) car_->SetAttribute(name, QString::number(value));
    connect(car_, &widgets::SkCar::carDelayChanged, this, &CDlgDelaySettings::Apply);
    if (working_.positionsValid == 1)
        Place(working_);
    else
        PlaceDefault();
}

void CDlgDelaySettings::PlaceDefault() {
    if (!car_) return;
    const int w = working_.carWidth, l = working_.zhouJu;
    car_->SetPositions({widgets::IntPoint{0, l}, {w, l}, {0, 0}, {w, 0}, {w / 3, 0}, {2 * w / 3, 0}},
                       kListenerX, kListenerY);
}

void CDlgDelaySettings::Place(const DelayLayout& record) {
    if (!car_) return;
    std::array<widgets::IntPoint, 6> speakers{};
    for (size_t i = 0; i < speakers.size(); ++i) speakers[i] = {record.speakers[i].x, record.speakers[i].y};
    car_->SetPositions(speakers, record.listener.x, record.listener.y);
}

void CDlgDelaySettings::OnDefault() {
    PlaceDefault();
    Apply();
}

void CDlgDelaySettings::OnUndo() {
    if (opening_.positionsValid == 1)
        Place(opening_);
    else
        PlaceDefault();
    Apply();
}

// The map's placement and path lengths into the working copy; speakers the
// map does not have keep what the record held.
void CDlgDelaySettings::Capture() {
    if (!car_) return;
    const int count = std::min(car_->Count(), DelayLayout::kSpeakers);
    for (int i = 0; i < count; ++i) {
        const widgets::IntPoint p = car_->SpeakerMm(i);
        working_.speakers[static_cast<size_t>(i)] = {p.x, p.y};
        working_.delayMm[static_cast<size_t>(i)] = car_->DelayMm(i);
    }
    const widgets::IntPoint listener = car_->ListenerMm();
    working_.listener = {listener.x, listener.y};
    working_.positionsValid = 1;
}

void CDlgDelaySettings::Apply() {
    Capture();
    if (apply_ && car_) apply_(working_.delayMm);
}

void CDlgDelaySettings::FollowSession(EditSession& session, SessionEvents& events) {
    session_ = &session;
    if (car_)
        for (QWidget* thumb : car_->findChildren<QWidget*>())
            StepPerGesture(thumb, session, [] { return StepLabel("Delays from the car map"); });
    InstallUndoKeys(this, session);
    // An undo back to here shows what the map shows now, the defaults too
    // when the record had no placement.
    Capture();
    placed_[StepCount()] = working_;
    connect(&events, &SessionEvents::tuningReplaced, this, &CDlgDelaySettings::ShowRestoredPlacement);
    connect(&events, &SessionEvents::stepsChanged, this, [this] { placed_[StepCount()] = working_; });
}

int CDlgDelaySettings::StepCount() const {
    return session_ ? static_cast<int>(session_->History(session_->CurrentSide()).UndoCount()) : 0;
}

void CDlgDelaySettings::ShowRestoredPlacement() {
    const auto found = placed_.find(StepCount());
    if (found == placed_.end() || !car_) return;
    {
        // The delays are already the restored ones: the map only shows them.
        const QSignalBlocker quiet(car_);
        Place(found->second);
    }
    Capture();
}

void CDlgDelaySettings::done(int result) {
    // Every way out (the close button, Escape, the window manager) keeps the placement.
    Capture();
    CCommonDlg::done(result);
}

void RunDelaySettings(QWidget* owner, storage::Settings& settings, EditSession& session,
                      SessionEvents& events, ApplyDistances apply) {
    CDlgDelaySettings dialog(storage::ReadDelayLayout(settings.Document()), std::move(apply), owner);
    dialog.FollowSession(session, events);
    dialog.exec();
    storage::WriteDelayLayout(settings.Document(), dialog.Working());
    settings.Save();
}

}  // namespace caraudio::app
