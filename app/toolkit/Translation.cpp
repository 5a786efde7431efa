#include "Translation.h"

#include <QCoreApplication>

namespace caraudio::app {

Translation::~Translation() {
    if (active_) QCoreApplication::removeTranslator(active_.get());
}

bool Translation::Use(int language) {
    auto next = std::make_unique<QTranslator>();
    if (!next->load(language == kChinese ? ":/i18n/cn.qm" : ":/i18n/en.qm")) return false;
    if (active_) QCoreApplication::removeTranslator(active_.get());
    active_ = std::move(next);
    QCoreApplication::installTranslator(active_.get());
    language_ = language;
    return true;
}

QString Tr(const char* context, const char* text) {
    return QCoreApplication::translate(context, text);
}

}  // namespace caraudio::app
