#include "ScreenFit.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <utility>
#include <vector>

namespace caraudio::app {
namespace {

// The caption's controls on its right half (the window's buttons) keep their
// distance from its right edge as its width follows the window's.
class RightAnchors final : public QObject {
public:
    explicit RightAnchors(QWidget* caption) : QObject(caption), caption_(caption) {
        const int width = caption->width();
        for (QWidget* c : caption->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (2 * c->geometry().center().x() > width) gaps_.emplace_back(c, width - c->x());
        caption->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == caption_ && e->type() == QEvent::Resize)
            for (const auto& [control, gap] : gaps_) control->move(caption_->width() - gap, control->y());
        return false;
    }

private:
    QWidget* caption_;
    std::vector<std::pair<QWidget*, int>> gaps_;
};

class ScreenFitter final : public QObject {
public:
    ScreenFitter(QWidget* window, QScrollArea* area, int captionHeight)
        : QObject(window), window_(window), area_(area), captionHeight_(captionHeight) {
        window->installEventFilter(this);
        // Keyboard users reach hidden controls too: the focus is scrolled into view.
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (now && area_->widget() && area_->widget()->isAncestorOf(now)) area_->ensureWidgetVisible(now);
        });
    }

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == window_ && e->type() == QEvent::Show) {
            Follow();
            Fit();
        }
        return false;
    }

private:
    // A window moved to another screen, or a screen whose panels change,
    // is fitted again.
    void Follow() {
        QWindow* handle = window_->windowHandle();
        if (!handle || followed_ == handle) return;
        followed_ = handle;
        connect(handle, &QWindow::screenChanged, this, [this](QScreen* screen) {
            WatchScreen(screen);
            Fit();
        });
        WatchScreen(handle->screen());
    }

    void WatchScreen(QScreen* screen) {
        disconnect(screenWatch_);
        if (screen)
            screenWatch_ = connect(screen, &QScreen::availableGeometryChanged, this, [this] { Fit(); });
    }

    void Fit() {
        QScreen* screen = window_->screen();
        QWidget* scrolled = area_->widget();
        if (!screen || !scrolled) return;
        const QRect free = screen->availableGeometry();
        // The room left for the scrolled part under the caption.
        const QSize room(free.width(), free.height() - captionHeight_);
        const int bar = window_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area_);
        QSize size = scrolled->size();
        // A scroll bar one way takes room the other way.
        const bool across = size.width() > room.width();
        if (across) size = {room.width(), size.height() + bar};
        if (size.height() > room.height()) {
            size.setHeight(room.height());
            if (!across) size.setWidth(std::min(size.width() + bar, room.width()));
        }
        size.rheight() += captionHeight_;
        window_->setFixedSize(size);
        const QPoint at(std::clamp(window_->x(), free.left(), free.right() + 1 - size.width()),
                        std::clamp(window_->y(), free.top(), free.bottom() + 1 - size.height()));
        if (at != window_->pos()) window_->move(at);
    }

    QWidget* window_;
    QScrollArea* area_;
    int captionHeight_;
    QWindow* followed_ = nullptr;
    QMetaObject::Connection screenWatch_;
};

}  // namespace

void FitToScreen(QWidget* window, QWidget* content, QWidget* caption) {
    auto* column = new QVBoxLayout(window);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    window->setFixedSize(content->size());
    QWidget* scrolled = content;
    int captionHeight = 0;
    if (caption) {
        // The content shows below the caption as before; only its place in
        // the window's top strip is left empty.
        captionHeight = caption->geometry().bottom() + 1;
        scrolled = new QWidget;
        scrolled->resize(content->width(), content->height() - captionHeight);
        content->setParent(scrolled);
        content->move(0, -captionHeight);
        caption->setParent(window);
        caption->setFixedHeight(captionHeight);
        new RightAnchors(caption);
        column->addWidget(caption);
    }
    auto* area = new QScrollArea(window);
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidgetResizable(false);
    area->setWidget(scrolled);
    column->addWidget(area);
    new ScreenFitter(window, area, captionHeight);
}

}  // namespace caraudio::app
