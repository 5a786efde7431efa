#include "ScreenFit.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace caraudio::app {
namespace {

class ScreenFitter final : public QObject {
public:
    ScreenFitter(QWidget* window, QScrollArea* area) : QObject(window), window_(window), area_(area) {
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
        QWidget* content = area_->widget();
        if (!screen || !content) return;
        const QRect free = screen->availableGeometry();
        const int bar = window_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area_);
        QSize size = content->size();
        // A scroll bar one way takes room the other way.
        const bool across = size.width() > free.width();
        if (across) size = {free.width(), size.height() + bar};
        if (size.height() > free.height()) {
            size.setHeight(free.height());
            if (!across) size.setWidth(std::min(size.width() + bar, free.width()));
        }
        window_->setFixedSize(size);
        const QPoint at(std::clamp(window_->x(), free.left(), free.right() + 1 - size.width()),
                        std::clamp(window_->y(), free.top(), free.bottom() + 1 - size.height()));
        if (at != window_->pos()) window_->move(at);
    }

    QWidget* window_;
    QScrollArea* area_;
    QWindow* followed_ = nullptr;
    QMetaObject::Connection screenWatch_;
};

}  // namespace

QWidget* FitToScreen(QWidget* window, QWidget* content) {
    auto* area = new QScrollArea(window);
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidgetResizable(false);
    area->setWidget(content);
    window->setFixedSize(content->size());
    new ScreenFitter(window, area);
    return area;
}

}  // namespace caraudio::app
