#include "Attributes.h"

#include <QDynamicPropertyChangeEvent>
#include <QLocale>
#include <QPalette>
#include <QStringList>
#include <QVariant>
#include <QWidget>

namespace caraudio::widgets {

std::optional<int> ParseInt(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    int v;
    if (t.startsWith("0x", Qt::CaseInsensitive) || t.startsWith("-0x", Qt::CaseInsensitive)) {
        const bool negative = t.startsWith('-');
        v = t.mid(negative ? 3 : 2).toInt(&ok, 16);
        if (negative) v = -v;
    } else {
        v = t.toInt(&ok, 10);
    }
    if (!ok) return std::nullopt;
    return v;
}

std::optional<double> ParseFloat(const QString& text) {
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);  // never the user's locale
    if (!ok) return std::nullopt;
    return v;
}

std::optional<QColor> ParseColor(const QString& text) {
    const QString t = text.trimmed();
    if (!t.startsWith('#') || (t.size() != 9 && t.size() != 7)) return std::nullopt;
    bool ok = false;
    const uint v = t.mid(1).toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    if (t.size() == 7) return QColor(int(v >> 16) & 0xFF, int(v >> 8) & 0xFF, int(v) & 0xFF, 255);
    return QColor(int(v >> 24) & 0xFF, int(v >> 16) & 0xFF, int(v >> 8) & 0xFF, int(v) & 0xFF);
}

std::optional<QFont> ParseFont(const QString& text, QFont font) {
    for (const QString& part : text.split(',', Qt::SkipEmptyParts)) {
        const int colon = part.indexOf(':');
        if (colon < 0) return std::nullopt;
        const QString key = part.left(colon).trimmed();
        const QString v = part.mid(colon + 1).trimmed();
        if (key == "size") {
            const auto n = ParseInt(v);
            if (!n || *n <= 0) return std::nullopt;
            font.setPixelSize(*n);
        } else if (key == "bold") {
            font.setBold(ParseInt(v).value_or(0) != 0);
        } else if (key == "italic") {
            font.setItalic(ParseInt(v).value_or(0) != 0);
        } else if (key == "face") {
            font.setFamily(v);
        }
    }
    return font;
}

std::optional<QRect> ParsePos(const QString& text, const QSize& size) {
    const QStringList parts = text.split(',');
    if (parts.size() != 2 && parts.size() != 4) return std::nullopt;
    int v[4] = {};
    for (int i = 0; i < parts.size(); ++i) {
        const auto n = ParseInt(parts[i]);
        if (!n) return std::nullopt;
        v[i] = *n;
    }
    if (parts.size() == 2) return QRect(QPoint(v[0], v[1]), size);
    return QRect(QPoint(v[0], v[1]), QPoint(v[2] - 1, v[3] - 1));
}

bool HandleAttributeEvent(QWidget* widget, AttributeTarget* target, QEvent* event) {
    if (event->type() != QEvent::DynamicPropertyChange) return false;
    const auto* e = static_cast<QDynamicPropertyChangeEvent*>(event);
    const QString name = QString::fromUtf8(e->propertyName());
    if (name.startsWith(kInternalPrefix)) return true;  // set by the program itself
    const QVariant value = widget->property(e->propertyName());
    if (value.isValid()) target->SetAttribute(name, value.toString());
    return true;
}

int DataOf(const QWidget* widget) {
    return widget->property(kDataProperty).toInt();
}

int ControlIdOf(const QWidget* widget) {
    return widget->property(kControlIdProperty).toInt();
}

bool SetCommonAttribute(QWidget* widget, const QString& name, const QString& value) {
    if (name == "pos") {
        const QSize size = widget->size().isEmpty() ? widget->sizeHint() : widget->size();
        const auto r = ParsePos(value, size);
        if (!r) return false;
        widget->setGeometry(*r);
        return true;
    }
    if (name == "size") {
        const QStringList p = value.split(',');
        const auto w = p.size() == 2 ? ParseInt(p[0]) : std::nullopt;
        const auto h = p.size() == 2 ? ParseInt(p[1]) : std::nullopt;
        if (!w || !h) return false;
        widget->resize(*w, *h);
        return true;
    }
    if (name == "tip") {
        widget->setToolTip(value);
        return true;
    }
    if (name == "show") {
        widget->setVisible(ParseInt(value).value_or(1) != 0);
        return true;
    }
    if (name == "id") {
        widget->setProperty(kControlIdProperty, ParseInt(value).value_or(0));
        return true;
    }
    if (name == "name") {
        widget->setObjectName(value);
        return true;
    }
    if (name == "data") {
        const auto v = ParseInt(value);
        if (!v) return false;
        widget->setProperty(kDataProperty, *v);
        return true;
    }
    if (name == "font") {
        const auto f = ParseFont(value, widget->font());
        if (!f) return false;
        widget->setFont(*f);
        return true;
    }
    if (name == "colorText") {
        const auto c = ParseColor(value);
        if (!c) return false;
        QPalette p = widget->palette();
        p.setColor(QPalette::WindowText, *c);
        p.setColor(QPalette::ButtonText, *c);
        p.setColor(QPalette::Text, *c);
        widget->setPalette(p);
        return true;
    }
    return false;
}

}  // namespace caraudio::widgets
