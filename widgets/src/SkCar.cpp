#include "SkCar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>
#include <cmath>
#include <vector>

#include "EqMetrics.h"
#include "SWindow.h"
#include "Skin.h"

namespace caraudio::widgets {
namespace {

QString Metres(int mm) {
    return QString::asprintf("%.03f", mm / 1000.0);
}

void SetPos(QWidget* w, const QString& pos) {
    if (auto* t = dynamic_cast<AttributeTarget*>(w))
        t->SetAttribute("pos", pos);
    else if (const auto r = ParsePos(pos, w->size()))
        w->setGeometry(*r);
}

void SetText(QWidget* w, const QString& text) {
    if (auto* t = dynamic_cast<AttributeTarget*>(w)) t->SetAttribute("text", text);
}

SkCar* CarOf(const QWidget* w) {
    return qobject_cast<SkCar*>(w->parentWidget());
}

}  // namespace

SkCar::SkCar(QWidget* parent) : QWidget(parent) {
    hideTimer_.setSingleShot(true);
    connect(&hideTimer_, &QTimer::timeout, this, &SkCar::HideLayers);
    geometry_ = CarGeometry::Layout(attributes_, {0, 0, width(), height()});
}

bool SkCar::SetAttribute(const QString& name, const QString& value) {
    int* field = nullptr;
    if (name == "ldist")
        field = &attributes_.ldist;
    else if (name == "tdist")
        field = &attributes_.tdist;
    else if (name == "rdist")
        field = &attributes_.rdist;
    else if (name == "bdist")
        field = &attributes_.bdist;
    else if (name == "xStart")
        field = &attributes_.xStart;
    else if (name == "yStart")
        field = &attributes_.yStart;
    else if (name == "mmPerPx")
        field = &attributes_.mmPerPx;
    else if (name == "mmPerScale")
        field = &attributes_.mmPerScale;
    else if (name == "carWidth")
        field = &attributes_.carWidth;
    else if (name == "zhouJu")
        field = &attributes_.zhouJu;
    if (field) {
        const auto v = ParseInt(value);
        if (!v) return false;
        *field = *v;
        LayoutCar();
        if (count_ > 0) RecomputeDelays();
        update();
        return true;
    }
    return SetCommonAttribute(this, name, value);
}

bool SkCar::event(QEvent* e) {
    if (e->type() == QEvent::ChildAdded || e->type() == QEvent::ChildRemoved) created_ = false;
    return HandleAttributeEvent(this, this, e) || QWidget::event(e);
}

void SkCar::Collect() {
    if (created_) return;
    created_ = true;
    thumbs_.fill(nullptr);
    tips_.fill(nullptr);
    grid_ = nullptr;
    curve_ = nullptr;
    posTip_ = carPic_ = nullptr;
    for (QObject* child : children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w) continue;
        if (auto* t = qobject_cast<SkCarThumb*>(w)) {
            const int data = DataOf(t);
            if (data >= 0 && data <= kMaxSpeakers) thumbs_[static_cast<size_t>(data)] = t;
        } else if (auto* g = qobject_cast<SkCarGrid*>(w)) {
            grid_ = g;
        } else if (auto* c = qobject_cast<SkCarCurve*>(w)) {
            curve_ = c;
        } else if (w->objectName() == "car_pos_tip") {
            posTip_ = w;
        } else if (w->objectName() == "car_pic") {
            carPic_ = w;
        } else {
            for (int i = 1; i <= kMaxSpeakers; ++i)
                if (w->objectName() == QString("ch%1_tip").arg(i)) tips_[static_cast<size_t>(i - 1)] = w;
        }
    }
    for (QWidget* layer : {static_cast<QWidget*>(grid_), static_cast<QWidget*>(curve_)}) {
        if (!layer) continue;
        layer->setGeometry(rect());
        layer->hide();
    }
    if (carPic_) carPic_->lower();
    for (SkCarThumb* t : thumbs_)
        if (t) t->raise();
    ShowForCount();
}

SkCarThumb* SkCar::Thumb(int data) const {
    const_cast<SkCar*>(this)->Collect();
    return data >= 0 && data <= kMaxSpeakers ? thumbs_[static_cast<size_t>(data)] : nullptr;
}

void SkCar::ShowForCount() {
    if (thumbs_[0]) thumbs_[0]->setVisible(count_ > 0);
    for (int i = 0; i < kMaxSpeakers; ++i) {
        const bool shown = i < count_;
        if (SkCarThumb* t = thumbs_[static_cast<size_t>(i + 1)]) t->setVisible(shown);
        if (QWidget* tip = tips_[static_cast<size_t>(i)]) tip->setVisible(shown);
    }
    if (posTip_) posTip_->hide();
}

void SkCar::SetPositions(const std::array<IntPoint, 6>& speakersMm, int listenerXMm, int listenerYMm) {
    Collect();
    listenerMm_ = {listenerXMm, listenerYMm};
    count_ = 6;
    for (size_t i = 0; i < 6; ++i) speakerMm_[i] = speakersMm[i];
    LayoutCar();
    ShowForCount();
    RecomputeDelays();
    if (curve_) curve_->update();
}

void SkCar::resizeEvent(QResizeEvent*) {
    Collect();
    for (QWidget* layer : {static_cast<QWidget*>(grid_), static_cast<QWidget*>(curve_)})
        if (layer) layer->setGeometry(rect());
    for (SkCarThumb* t : thumbs_)
        if (t) t->Relayout();
    LayoutCar();
    if (count_ > 0) RecomputeDelays();
}

void SkCar::LayoutCar() {
    geometry_ = CarGeometry::Layout(attributes_, {0, 0, width(), height()});
    if (!carPic_) return;
    const IntBox& pic = geometry_.carPic;
    SetPos(carPic_, QString::asprintf("%d,%d,%d,%d", pic.left - kCarPicMargin, pic.top,
                                      pic.right + kCarPicMargin, pic.bottom));
}

void SkCar::RecomputeDelays() {
    Collect();
    delays_ = ComputeDelays(geometry_, listenerMm_, speakerMm_.data(), count_);
    if (SkCarThumb* l = thumbs_[0]) {
        l->CentreOn(delays_.listenerPx.x, delays_.listenerPx.y);
        l->setToolTip(QString("(%1m,%2m)").arg(Metres(listenerMm_.x), Metres(listenerMm_.y)));
    }
    const IntBox& area = geometry_.carArea;
    const int w = area.right - area.left, h = area.bottom - area.top;
    const IntBox inner{area.left + w / 4, area.top + h / 3, area.right - w / 4, area.bottom - h / 3};
    for (int i = 0; i < count_; ++i) {
        const size_t k = static_cast<size_t>(i);
        const IntPoint px = delays_.speakerPx[k];
        if (SkCarThumb* t = thumbs_[k + 1]) {
            t->CentreOn(px.x, px.y);
            t->setToolTip(QString::asprintf("(%.03fm,%.03fm)\nDelay:%.02fmm\nDelay:%.03fms",
                                            speakerMm_[k].x / 1000.0, speakerMm_[k].y / 1000.0,
                                            delays_.delayMm[k], delays_.delayMm[k] / 346));
        }
    }
    // Every thumb is in place before the tips are: a tip keeps clear of
    // them and of the tips placed before it.
    std::vector<QRect> taken = Occupied(false);
    for (int i = 0; i < count_; ++i) PlaceTip(i, delays_.speakerPx[static_cast<size_t>(i)], inner, taken);
}

std::vector<QRect> SkCar::Occupied(bool withTips) const {
    std::vector<QRect> taken;
    for (int data = 0; data <= count_; ++data)
        if (const SkCarThumb* t = thumbs_[static_cast<size_t>(data)]) taken.push_back(t->geometry());
    for (int i = 0; i < count_ && withTips; ++i)
        if (const QWidget* tip = tips_[static_cast<size_t>(i)]) taken.push_back(tip->geometry());
    return taken;
}

bool SkCar::IsFree(const QRect& r, const std::vector<QRect>& taken) const {
    if (!rect().contains(r)) return false;
    for (const QRect& t : taken)
        if (t.intersects(r)) return false;
    return true;
}

void SkCar::PlaceTip(int i, IntPoint c, const IntBox& inner, std::vector<QRect>& taken) {
    QWidget* tip = tips_[static_cast<size_t>(i)];
    if (!tip) return;
    SetText(tip, QString::asprintf("%.03fms", delays_.delayMm[static_cast<size_t>(i)] / 346));
    const QSize ts = tip->sizeHint();
    tip->resize(ts);
    const SkCarThumb* thumb = thumbs_[static_cast<size_t>(i) + 1];
    const int bw = thumb ? thumb->width() : 0, bh = thumb ? thumb->height() : 0;
    const int tw = ts.width(), th = ts.height();
    enum Side { Left, Right, Above, Below };
    auto at = [&](Side side, int away) {
        switch (side) {
        case Left:
            return QPoint(c.x - bw / 2 - tw - 5, c.y - th / 2 + away);
        case Right:
            return QPoint(c.x + bw / 2 + 5, c.y - th / 2 + away);
        case Above:
            return QPoint(c.x - tw / 2, c.y - bh / 2 - th - 5 - away);
        case Below:
            break;
        }
        return QPoint(c.x - tw / 2, c.y + bh / 2 + 5 + away);
    };
    const Side preferred = c.x < inner.left    ? Left
                           : c.x > inner.right ? Right
                           : c.y < inner.top   ? Above
                                               : Below;
    // Speakers close together would write their tips over each other: the
    // tip goes to the first free side, or else further out on its own side.
    const Side order[4][4] = {{Left, Below, Above, Right},
                              {Right, Below, Above, Left},
                              {Above, Left, Right, Below},
                              {Below, Left, Right, Above}};
    QRect chosen(at(preferred, 0), ts);
    bool found = false;
    for (int ring = 0; ring <= kMaxSpeakers && !found; ++ring)
        for (Side side : order[preferred]) {
            const QRect r(at(side, ring * (th + 2)), ts);
            if (IsFree(r, taken)) {
                chosen = r;
                found = true;
                break;
            }
            if (ring > 0) break;  // further out only on its own side
        }
    taken.push_back(chosen);
    SetPos(tip, QString::asprintf("%d,%d", chosen.x(), chosen.y()));
}

IntPoint SkCar::MoveThumb(IntPoint position, int data) {
    Collect();
    const IntPoint clamped = geometry_.ClampToCar(position);
    const IntPoint mm = geometry_.ToMm(clamped);
    if (data == 0) {
        listenerMm_ = mm;
    } else if (data >= 1 && data <= count_) {
        speakerMm_[static_cast<size_t>(data - 1)] = mm;
    } else {
        return clamped;
    }
    hideTimer_.stop();
    if (count_ > 0) RecomputeDelays();
    if (posTip_) {
        SetText(posTip_, QString("%1m,%2m").arg(Metres(mm.x), Metres(mm.y)));
        const QSize ts = posTip_->sizeHint();
        posTip_->resize(ts);
        // Below right of the thumb, or the first other corner where it hides
        // no thumb and no delay.
        const QPoint corners[] = {{clamped.x + 30, clamped.y + 25},
                                  {clamped.x + 30, clamped.y - 25 - ts.height()},
                                  {clamped.x - 30 - ts.width(), clamped.y + 25},
                                  {clamped.x - 30 - ts.width(), clamped.y - 25 - ts.height()}};
        const std::vector<QRect> taken = Occupied(true);
        QPoint at = corners[0];
        for (const QPoint& c : corners)
            if (IsFree(QRect(c, ts), taken)) {
                at = c;
                break;
            }
        SetPos(posTip_, QString::asprintf("%d,%d", at.x(), at.y()));
        posTip_->show();
        posTip_->raise();
    }
    if (count_ > 0) {
        if (curve_) {
            if (curve_->isVisible())
                curve_->update();
            else
                curve_->show();
        }
        if (grid_) grid_->show();
        emit carDelayChanged();
    }
    return clamped;
}

void SkCar::ThumbReleased() {
    if (posTip_) posTip_->hide();
    hideTimer_.start(kHideLayersMs);
}

void SkCar::HideLayers() {
    hideTimer_.stop();
    if (grid_) grid_->hide();
    if (curve_) curve_->hide();
}

// --- thumb ------------------------------------------------------------------

SkCarThumb::SkCarThumb(QWidget* parent) : QWidget(parent) {
    hide();
}

bool SkCarThumb::SetAttribute(const QString& name, const QString& value) {
    if (name == "percentFloat") {
        const auto v = ParseInt(value);
        if (!v) return false;
        percentFloat_ = *v != 0;
        return true;
    }
    if (name == "xFloat" || name == "yFloat") {
        const auto v = ParseFloat(value);
        if (!v) return false;
        (name == "xFloat" ? xFloat_ : yFloat_) = *v;
        return true;
    }
    if (name == "centerColor") {
        const auto c = ParseColor(value);
        if (!c) return false;
        centerColor_ = *c;
        update();
        return true;
    }
    if (name == "skin") {
        skin_ = FindSkin(value);
        update();
        return skin_ != nullptr;
    }
    if (name == "text") {
        text_ = value;
        update();
        return true;
    }
    return SetCommonAttribute(this, name, value);
}

bool SkCarThumb::event(QEvent* e) {
    return HandleAttributeEvent(this, this, e) || QWidget::event(e);
}

SkCar* SkCarThumb::Car() const {
    return CarOf(this);
}

void SkCarThumb::CentreOn(int x, int y) {
    const int left = x - width() / 2, top = y - height() / 2;
    move(left, top);
    const QWidget* p = parentWidget();
    if (!p) return;
    xOffset_ = left;
    yOffset_ = p->height() - top;
    if (p->width() > 0) xFloat_ = static_cast<double>(xOffset_) / p->width();
    if (p->height() > 0) yFloat_ = static_cast<double>(yOffset_) / p->height();
}

void SkCarThumb::Relayout() {
    const QWidget* p = parentWidget();
    if (!p) return;
    if (percentFloat_)
        move(Rnd(p->width() * xFloat_), p->height() - Rnd(p->height() * yFloat_));
    else
        move(xOffset_, p->height() - yOffset_);
}

void SkCarThumb::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    dragging_ = true;
    const QPoint cursor = mapToParent(e->position().toPoint());
    grab_ = cursor - QPoint(x() + width() / 2, y() + height() / 2);
    setCursor(Qt::SizeAllCursor);
}

void SkCarThumb::mouseMoveEvent(QMouseEvent* e) {
    if (!dragging_) return QWidget::mouseMoveEvent(e);
    const QPoint cursor = mapToParent(e->position().toPoint());
    IntPoint position{cursor.x() - grab_.x(), cursor.y() - grab_.y()};
    if (SkCar* car = Car()) position = car->MoveThumb(position, DataOf(this));
    CentreOn(position.x, position.y);
}

void SkCarThumb::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !dragging_) return QWidget::mouseReleaseEvent(e);
    dragging_ = false;
    unsetCursor();
    if (SkCar* car = Car()) car->ThumbReleased();
}

void SkCarThumb::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (centerColor_.alpha() != 0) {
        const QColor surround((centerColor_.red() + 57) % 256, (centerColor_.green() + 57) % 256,
                              (centerColor_.blue() + 57) % 256, centerColor_.alpha());
        QRadialGradient g(QRectF(rect()).center(), width() / 2.0);
        g.setColorAt(0, centerColor_);
        g.setColorAt(1, surround);
        p.setBrush(g);
        p.setPen(QPen(centerColor_, 1));
        p.drawEllipse(rect());
    }
    if (skin_) skin_->Draw(p, rect(), 0);
    if (!text_.isEmpty()) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(rect(), Qt::AlignCenter, text_);
    }
}

// --- grid -------------------------------------------------------------------

SkCarGrid::SkCarGrid(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

bool SkCarGrid::SetAttribute(const QString& name, const QString& value) {
    if (name == "widthGuidLine" || name == "widthCoords") {
        const auto v = ParseInt(value);
        if (!v) return false;
        (name == "widthGuidLine" ? widthGuidLine_ : widthCoords_) = *v;
        update();
        return true;
    }
    if (name == "colorGuidLine" || name == "colorCoords") {
        const auto c = ParseColor(value);
        if (!c) return false;
        (name == "colorGuidLine" ? colorGuidLine_ : colorCoords_) = *c;
        update();
        return true;
    }
    return SetCommonAttribute(this, name, value);
}

bool SkCarGrid::event(QEvent* e) {
    return HandleAttributeEvent(this, this, e) || QWidget::event(e);
}

void SkCarGrid::paintEvent(QPaintEvent*) {
    const SkCar* car = CarOf(this);
    if (!car) return;
    const CarAttributes& a = car->Geometry().a;
    const IntPoint origin = car->Geometry().originPx;
    const int L = 0, T = 0, R = width(), B = height();
    QPainter p(this);
    p.setFont(font());
    const QColor text = palette().color(QPalette::WindowText);
    const QPen coords(colorCoords_, widthCoords_);
    p.setPen(coords);
    p.drawLine(L + a.ldist, B - a.bdist, R - a.rdist, B - a.bdist);
    p.drawLine(L + a.ldist, T + a.tdist, L + a.ldist, B - a.bdist);
    const int step = static_cast<int>(static_cast<double>(a.mmPerScale) / a.mmPerPx + 0.5);
    if (step > 0) {
        for (int y = B - a.bdist, value = a.yStart; y - 15 >= T + a.tdist; y -= step, value += a.mmPerScale) {
            p.setPen(coords);
            p.drawLine(L + a.ldist, y, L + a.ldist + 5, y);
            p.setPen(text);
            p.drawText(QRect(QPoint(L + 2, y - 15), QPoint(L + a.ldist - 1, y + 15 - 1)),
                       Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                       QString::asprintf("%.01f", value / 1000.0));
        }
        for (int x = L + a.ldist, value = a.xStart; x - a.ldist / 2 - 10 + a.ldist <= R - a.rdist;
             x += step, value += a.mmPerScale) {
            p.setPen(coords);
            p.drawLine(x, B - a.bdist, x, B - a.bdist - 5);
            p.setPen(text);
            p.drawText(QRect(QPoint(x - a.ldist / 2 - 8, B - a.bdist),
                             QPoint(x - a.ldist / 2 - 10 + a.ldist - 1, B - a.bdist + 30 - 1)),
                       Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                       QString::asprintf("%.01f", value / 1000.0));
        }
    }
    QPen guide(colorGuidLine_, widthGuidLine_, Qt::DotLine);
    p.setPen(guide);
    p.drawLine(L + a.ldist, origin.y, R - a.rdist, origin.y);
    p.drawLine(origin.x, T + a.tdist, origin.x, B - a.bdist);
}

// --- curve ------------------------------------------------------------------

SkCarCurve::SkCarCurve(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

bool SkCarCurve::SetAttribute(const QString& name, const QString& value) {
    if (name == "lineWidth") {
        const auto v = ParseInt(value);
        if (!v) return false;
        lineWidth_ = *v;
        update();
        return true;
    }
    QColor* field = nullptr;
    if (name == "colorCar")
        field = &colorCar_;
    else if (name == "colorVirt")
        field = &colorVirt_;
    else if (name == "colorSoundSpace")
        field = &colorSoundSpace_;
    else if (name == "colorSpeakser")
        field = &colorSpeaker_;
    if (field) {
        const auto c = ParseColor(value);
        if (!c) return false;
        *field = *c;
        update();
        return true;
    }
    return SetCommonAttribute(this, name, value);
}

bool SkCarCurve::event(QEvent* e) {
    return HandleAttributeEvent(this, this, e) || QWidget::event(e);
}

void SkCarCurve::paintEvent(QPaintEvent*) {
    const SkCar* car = CarOf(this);
    if (!car) return;
    const IntBox& pic = car->Geometry().carPic;
    const CarDelays& d = car->Delays();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colorCar_, lineWidth_));
    p.drawRect(QRectF(pic.left, pic.top + 10, pic.right - pic.left, pic.bottom - pic.top - 20));
    const int diameter = (d.circle.right - d.circle.left) / 2 * 2;
    p.setPen(QPen(colorSoundSpace_, lineWidth_, Qt::DotLine));
    p.drawEllipse(QRectF(d.circle.left, d.circle.top, diameter, diameter));
    for (int i = 0; i < d.count; ++i) {
        const size_t k = static_cast<size_t>(i);
        p.setPen(QPen(colorVirt_, lineWidth_, Qt::DotLine));
        p.drawLine(d.virtualPx[k].x, d.virtualPx[k].y, d.speakerPx[k].x, d.speakerPx[k].y);
        p.setPen(QPen(colorSpeaker_, lineWidth_));
        p.drawLine(d.listenerPx.x, d.listenerPx.y, d.speakerPx[k].x, d.speakerPx[k].y);
    }
}

}  // namespace caraudio::widgets
