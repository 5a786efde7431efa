#include "SkEQ.h"

#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

#include "EqCurveModel.h"
#include "SMoveThumb.h"
#include "Skin.h"
#include "ValueScales.h"

namespace caraudio::widgets {
namespace {

constexpr double kCrossoverThumbDb = -15;

}  // namespace

SkEQ::SkEQ(QWidget* parent) : QWidget(parent) {
    ComputeMetrics();
}

bool SkEQ::SetAttribute(const QString& name, const QString& value) {
    int* field = nullptr;
    if (name == "ldist")
        field = &axis_.ldist;
    else if (name == "tdist")
        field = &axis_.tdist;
    else if (name == "rdist")
        field = &axis_.rdist;
    else if (name == "bdist")
        field = &axis_.bdist;
    else if (name == "dbMax")
        field = &axis_.dbMax;
    else if (name == "dbMin")
        field = &axis_.dbMin;
    else if (name == "nKedu")
        field = &axis_.nKedu;
    else if (name == "dbKeduVal")
        field = &axis_.dbKeduVal;
    else if (name == "zeroXFreq")
        field = &axis_.zeroXFreq;
    if (field) {
        const auto v = ParseInt(value);
        if (!v) return false;
        *field = *v;
        ComputeMetrics();
        for (SkEqGrid* g : grids_) g->Invalidate();
        if (overlay_) overlay_->Invalidate();
        UpdateThumbs();
        update();
        return true;
    }
    if (name == "watermark") {
        watermark_ = FindSkin(value);
        update();
        return watermark_ != nullptr;
    }
    if (name == "colorBkgnd") {
        const auto c = ParseColor(value);
        if (!c) return false;
        background_ = *c;
        update();
        return true;
    }
    return SetCommonAttribute(this, name, value);
}

bool SkEQ::event(QEvent* e) {
    if (e->type() == QEvent::ChildAdded || e->type() == QEvent::ChildRemoved) collected_ = false;
    return HandleAttributeEvent(this, this, e) || QWidget::event(e);
}

void SkEQ::Collect() {
    if (collected_) return;
    collected_ = true;
    bands_.fill(nullptr);
    slots_.fill(nullptr);
    grids_.clear();
    curves_.clear();
    for (QObject* child : children()) {
        if (auto* t = qobject_cast<SMoveThumb*>(child)) {
            const int data = DataOf(t);
            if (data >= 0 && data < kMaxBandThumbs)
                bands_[static_cast<size_t>(data)] = t;
            else if (data <= -1 && data >= -6)
                slots_[static_cast<size_t>(-data - 1)] = t;
        } else if (auto* g = qobject_cast<SkEqGrid*>(child)) {
            grids_.push_back(g);
            g->setGeometry(rect());
        } else if (auto* c = qobject_cast<SkEqCurve*>(child)) {
            curves_.push_back(c);
            c->setGeometry(rect());
            c->SetModel(model_);
        }
    }
    if (overlay_) {
        overlay_->setGeometry(rect());
        // Over the grid, under the curves.
        if (!curves_.empty())
            overlay_->stackUnder(curves_.front());
        else
            overlay_->raise();
    }
    // The thumbs lie over the drawing layers.
    for (SMoveThumb* t : bands_)
        if (t) t->raise();
    for (SMoveThumb* t : slots_)
        if (t) t->raise();
}

SMoveThumb* SkEQ::BandThumb(int band) const {
    const_cast<SkEQ*>(this)->Collect();
    return band >= 0 && band < kMaxBandThumbs ? bands_[static_cast<size_t>(band)] : nullptr;
}

SMoveThumb* SkEQ::SlotThumb(int data) const {
    const_cast<SkEQ*>(this)->Collect();
    return data <= -1 && data >= -6 ? slots_[static_cast<size_t>(-data - 1)] : nullptr;
}

void SkEQ::ComputeMetrics() {
    metrics_ = EqMetrics::Compute(axis_, 0, 0, width(), height());
}

void SkEQ::SetEqData(EqCurveModel* model) {
    Collect();
    ComputeMetrics();
    if (model != model_) {
        model_ = model;
        if (model_) model_->RecomputeAll(axis_.zeroXFreq);
    }
    for (SkEqCurve* c : curves_) c->SetModel(model_);
    const int bandCount = model_ ? model_->BandCount() : 0;
    for (int n = 0; n < kMaxBandThumbs; ++n)
        if (SMoveThumb* t = bands_[static_cast<size_t>(n)]) t->setVisible(n < bandCount);
    const int passIndex[4] = {model_ ? model_->HighPass() : -1, model_ ? model_->LowPass() : -1,
                              model_ ? model_->HighPass2() : -1, model_ ? model_->LowPass2() : -1};
    for (int s = 0; s < 4; ++s)
        if (SMoveThumb* t = slots_[static_cast<size_t>(s)]) t->setVisible(passIndex[s] >= 0);
    if (!model_) HideQHandles();
    UpdateThumbs();
    for (SkEqCurve* c : curves_) c->update();
}

bool SkEQ::HasQHandles() const {
    return slots_[4] && slots_[5];
}

void SkEQ::HideQHandles() {
    if (!HasQHandles()) return;
    for (SMoveThumb* t : {slots_[4], slots_[5]}) {
        t->hide();
        t->SetThumbTag(-1);
    }
}

void SkEQ::PlaceQHandles(int band, int x, int y) {
    if (!HasQHandles() || !model_) return;
    const double q = model_->Filter(band).q;
    const int d = 120 - NearestQIndex(static_cast<int>(q * 300));
    slots_[4]->CentreOn(x - d, y);
    slots_[5]->CentreOn(x + d, y);
    for (SMoveThumb* t : {slots_[4], slots_[5]}) {
        t->SetThumbTag(band);
        t->show();
    }
}

void SkEQ::UpdateThumbs() {
    Collect();
    if (!model_ || !model_->HasRecords()) return;
    const int current = model_->Current();
    for (int n = 0; n < model_->BandCount() && n < kMaxBandThumbs; ++n) {
        SMoveThumb* t = bands_[static_cast<size_t>(n)];
        if (!t) continue;
        const EqFilterRecord& r = model_->Filter(n);
        const int x = FrequencyToX(r.frequency), y = GainToY(r.gain);
        t->CentreOn(x, y);
        if (n == current && qHandles_) PlaceQHandles(n, x, y);
    }
    if (current < 0 || current >= model_->BandCount()) HideQHandles();
    const int passIndex[4] = {model_->HighPass(), model_->LowPass(), model_->HighPass2(), model_->LowPass2()};
    // On a scale that does not reach down to -15 dB (or not up to it) the
    // crossover thumbs keep to the plot's edge, where they can be dragged.
    const EqAxis& a = metrics_.axis;
    const int crossoverY =
        GainToY(std::clamp(kCrossoverThumbDb, static_cast<double>(a.dbMin), static_cast<double>(a.dbMax)));
    for (int s = 0; s < 4; ++s) {
        SMoveThumb* t = slots_[static_cast<size_t>(s)];
        if (!t || passIndex[s] < 0) continue;
        double f = model_->Filter(passIndex[s]).frequency;
        f = f < 20 ? 17 : f > 19999 ? 22000 : f;
        t->CentreOn(FrequencyToX(f), crossoverY);
    }
}

void SkEQ::RefreshCurve() {
    UpdateThumbs();
    for (SkEqCurve* c : curves_) c->update();
}

void SkEQ::ShowQHandles(bool on) {
    Collect();
    qHandles_ = on;
    const int current = model_ && model_->HasRecords() ? model_->Current() : -1;
    if (on && current >= 0 && current < model_->BandCount()) {
        const EqFilterRecord& r = model_->Filter(current);
        PlaceQHandles(current, FrequencyToX(r.frequency), GainToY(r.gain));
    } else {
        HideQHandles();
    }
}

void SkEQ::resizeEvent(QResizeEvent*) {
    Collect();
    ComputeMetrics();
    for (SkEqGrid* g : grids_) {
        g->setGeometry(rect());
        g->Invalidate();
    }
    for (SkEqCurve* c : curves_) c->setGeometry(rect());
    if (overlay_) {
        overlay_->setGeometry(rect());
        overlay_->Invalidate();
    }
    UpdateThumbs();
}

void SkEQ::SetOverlayCurves(std::vector<EqOverlayCurve> curves) {
    if (!overlay_) {
        if (curves.empty()) return;
        overlay_ = new SkEqOverlay(this);
        collected_ = false;
    }
    Collect();
    overlay_->SetCurves(std::move(curves));
}

void SkEQ::ClearOverlayCurves() {
    SetOverlayCurves({});
}

const std::vector<EqOverlayCurve>& SkEQ::OverlayCurves() const {
    static const std::vector<EqOverlayCurve> none;
    return overlay_ ? overlay_->Curves() : none;
}

void SkEQ::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (background_.alpha() != 0) p.fillRect(rect(), background_);
    if (!watermark_ || watermark_->IsNull()) return;
    // In the plot's lower half, below where a curve and its thumbs mostly
    // are: at its own size, or smaller to fit there; never enlarged.
    const int half = metrics_.gridHeight / 2;
    const QRect place(metrics_.plotLeft, metrics_.plotTop + half, metrics_.plotWidth,
                      metrics_.gridHeight - half);
    QSize size = watermark_->Size();
    if (size.width() > place.width() || size.height() > place.height())
        size.scale(place.size(), Qt::KeepAspectRatio);
    QRect target(QPoint(), size);
    target.moveCenter(place.center());
    p.setOpacity(kWatermarkOpacity);
    watermark_->Draw(p, target, 0);
}

// --- grid -------------------------------------------------------------------

namespace {

constexpr int kGridFrequencies[] = {20,   30,   40,   50,   60,   70,   80,    90,   100,  200,
                                    300,  400,  500,  600,  700,  800,  900,   1000, 2000, 3000,
                                    4000, 5000, 6000, 7000, 8000, 9000, 10000, 20000};
struct FrequencyLabel {
    int hz;
    const char* text;
};
constexpr FrequencyLabel kFrequencyLabels[] = {
    {20, "20Hz"},   {50, "50Hz"},   {100, "100Hz"}, {200, "200Hz"},   {500, "500Hz"},
    {1000, "1kHz"}, {2000, "2kHz"}, {5000, "5kHz"}, {10000, "10kHz"}, {20000, "20kHz"}};

const SkEQ* EditorOf(const QWidget* layer) {
    return qobject_cast<const SkEQ*>(layer->parentWidget());
}

// A long antialiased polyline is stroked in short runs that share their end
// points: the result looks the same and draws about four times faster than
// one 1024-point stroke. Flat caps keep translucent runs from overlapping.
void DrawCurve(QPainter& p, const QPolygonF& points, const QColor& colour, int width) {
    constexpr int kRun = 32;
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin));
    const int n = static_cast<int>(points.size());
    for (int i = 0; i + 1 < n; i += kRun) p.drawPolyline(points.data() + i, std::min(kRun + 1, n - i));
}

}  // namespace

SkEqGrid::SkEqGrid(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

bool SkEqGrid::SetAttribute(const QString& name, const QString& value) {
    if (name == "colorBorder") {
        const auto c = ParseColor(value);
        if (!c) return false;
        colorBorder_ = *c;
        Invalidate();
        return true;
    }
    const bool known = SetCommonAttribute(this, name, value);
    Invalidate();
    return known;
}

bool SkEqGrid::event(QEvent* e) {
    return HandleAttributeEvent(this, this, e) || QWidget::event(e);
}

void SkEqGrid::Invalidate() {
    cache_ = QPixmap();
    update();
}

void SkEqGrid::paintEvent(QPaintEvent*) {
    const SkEQ* eq = EditorOf(this);
    if (!eq) return;  // a grid outside an editor draws nothing
    const qreal dpr = devicePixelRatioF();
    if (cache_.isNull() || cache_.size() != size() * dpr) {
        cache_ = QPixmap(size() * dpr);
        cache_.setDevicePixelRatio(dpr);
        cache_.fill(Qt::transparent);
        QPainter cp(&cache_);
        Render(cp, *eq);
    }
    QPainter p(this);
    p.drawPixmap(0, 0, cache_);
}

void SkEqGrid::Render(QPainter& p, const SkEQ& eq) const {
    const EqMetrics& m = eq.Metrics();
    const EqAxis& a = m.axis;
    const int L = 0, R = width();
    // The grid is all level and upright lines on whole pixels: drawn
    // antialiased, each would smear over two rows of half its colour.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(colorBorder_, 1));
    p.setFont(font());
    const QColor textColor = palette().color(QPalette::WindowText);
    for (const EqMetrics::GridLine& line : m.GridLines()) {
        p.setPen(QPen(colorBorder_, 1));
        p.drawLine(m.plotLeft, line.y, R - a.rdist, line.y);
        if (!line.labelled) continue;
        p.setPen(textColor);
        p.drawText(
            QRect(QPoint(L + 2, line.y - 7), QPoint(L + a.ldist - 2 - 1, line.y - 7 + m.pxPerDiv + 2 - 1)),
            Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, QString("%1dB").arg(line.db));
    }
    auto xOf = [&](int hz) { return m.GridX(hz); };
    p.setPen(QPen(colorBorder_, 1));
    p.drawLine(xOf(a.zeroXFreq), m.plotTop, xOf(a.zeroXFreq), m.gridBottom);
    for (int hz : kGridFrequencies) p.drawLine(xOf(hz), m.plotTop, xOf(hz), m.gridBottom);
    p.setPen(textColor);
    const QFontMetrics fm(font());
    for (const FrequencyLabel& l : kFrequencyLabels)
        p.drawText(QPoint(xOf(l.hz) - 12, m.gridBottom + 2 + fm.ascent()), QString::fromLatin1(l.text));
}

// --- curve ------------------------------------------------------------------

SkEqCurve::SkEqCurve(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

bool SkEqCurve::SetAttribute(const QString& name, const QString& value) {
    if (name == "colorLine" || name == "colorCurrLine") {
        const auto c = ParseColor(value);
        if (!c) return false;
        (name == "colorLine" ? colorLine_ : colorCurrLine_) = *c;
        update();
        return true;
    }
    if (name == "lineWidth") {
        const auto v = ParseInt(value);
        if (!v) return false;
        lineWidth_ = *v;
        update();
        return true;
    }
    return SetCommonAttribute(this, name, value);
}

bool SkEqCurve::event(QEvent* e) {
    return HandleAttributeEvent(this, this, e) || QWidget::event(e);
}

void SkEqCurve::paintEvent(QPaintEvent*) {
    const SkEQ* eq = EditorOf(this);
    if (!eq) return;
    const EqMetrics& m = eq->Metrics();
    const EqAxis& a = m.axis;
    constexpr int kPoints = FrequencyGrid::kPoints;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double x0 = m.PointX(0);
    const bool drawn = model_ && model_->HasRecords() && model_->Grid().IsBuilt();
    auto points = [&](const Response* values, bool raiseToBottom) {
        QPolygonF poly(kPoints);
        for (int i = 0; i < kPoints; ++i) {
            double y = m.LevelY(values ? (*values)[static_cast<size_t>(i)] : 0.0);
            if (raiseToBottom && y > m.gridBottom) y = m.gridBottom;
            poly[i] = QPointF(m.PointX(i), y);
        }
        return poly;
    };

    if (drawn && model_->Current() >= 0) {
        const int current = model_->Current();
        const QPolygonF response = points(&model_->Filter(current).response, true);
        const double base = current < model_->BandCount() ? a.tdist + a.dbMax * m.pxPerDb : m.gridBottom;
        QPolygonF area;
        area.reserve(kPoints + 2);
        area << QPointF(x0, base) << response << QPointF(response.back().x(), base);
        p.setPen(Qt::NoPen);
        p.setBrush(colorCurrLine_);
        p.drawPolygon(area, Qt::OddEvenFill);
        p.setBrush(Qt::NoBrush);
        DrawCurve(p, response, colorCurrLine_, lineWidth_);
    }
    QColor line = colorLine_;
    line.setAlpha(255);
    DrawCurve(p, points(drawn ? &model_->Curve1() : nullptr, false), line, 2);
    if (drawn && model_->HasCurve2())
        DrawCurve(p, points(&model_->Curve2(), false), QColor(197, 197, 18, 200), 2);
}

}  // namespace caraudio::widgets
