#include "WidgetRegistry.h"

#include "SEdit2.h"
#include "SGifPlayer.h"
#include "SMoveThumb.h"
#include "SWindow.h"
#include "SkButtons.h"
#include "SkCar.h"
#include "SkEQ.h"
#include "SkRotaryKnob.h"
#include "SkSlider.h"

namespace caraudio::widgets {
namespace {

struct Entry {
    const char* tag;
    const char* className;
    QWidget* (*create)(QWidget* parent);
};

template <typename T>
QWidget* Make(QWidget* parent) {
    return new T(parent);
}

constexpr Entry kEntries[] = {
    {"skeq", "SkEQ", Make<SkEQ>},
    {"skeqgrid", "SkEqGrid", Make<SkEqGrid>},
    {"skeqcurve", "SkEqCurve", Make<SkEqCurve>},
    {"moveThumb", "SMoveThumb", Make<SMoveThumb>},
    {"skcar", "SkCar", Make<SkCar>},
    {"skcargrid", "SkCarGrid", Make<SkCarGrid>},
    {"skcarcurve", "SkCarCurve", Make<SkCarCurve>},
    {"skcarthumb", "SkCarThumb", Make<SkCarThumb>},
    {"skrotaryknob", "SkRotaryKnob", Make<SkRotaryKnob>},
    {"skslider", "SkSlider", Make<SkSlider>},
    {"skcheckbtn", "SkCheckButton", Make<SkCheckButton>},
    {"skradiobtn", "SkRadioButton", Make<SkRadioButton>},
    {"edit2", "SEdit2", Make<SEdit2>},
    {"gifplayer", "SGifPlayer", Make<SGifPlayer>},
    {"window", "SWindow", Make<SWindow>},
    {"text", "SWindow", Make<SWindow>},
};

}  // namespace

QWidget* CreateWidget(const QString& tag, QWidget* parent) {
    for (const Entry& e : kEntries)
        if (tag == QLatin1String(e.tag)) {
            QWidget* w = e.create(parent);
            w->setObjectName(QString());
            return w;
        }
    return nullptr;
}

QString ClassForTag(const QString& tag) {
    for (const Entry& e : kEntries)
        if (tag == QLatin1String(e.tag)) return QString::fromLatin1(e.className);
    return {};
}

QWidget* CreateWidgetOfClass(const QString& className, QWidget* parent) {
    for (const Entry& e : kEntries)
        if (className == QLatin1String(e.className)) return e.create(parent);
    return nullptr;
}

QStringList KnownTags() {
    QStringList tags;
    for (const Entry& e : kEntries) tags << QString::fromLatin1(e.tag);
    return tags;
}

bool SetWidgetAttribute(QWidget* widget, const QString& name, const QString& value) {
    if (auto* t = dynamic_cast<AttributeTarget*>(widget)) return t->SetAttribute(name, value);
    return SetCommonAttribute(widget, name, value);
}

}  // namespace caraudio::widgets
