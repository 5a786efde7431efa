#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace caraudio::widgets {

// The program's own widgets by their layout tag ("skeq", "moveThumb", ...),
// so layouts can name them. Null for an unknown tag.
QWidget* CreateWidget(const QString& tag, QWidget* parent);
// The class name a tag creates, for layout loaders that work by class name.
QString ClassForTag(const QString& tag);
// The same widgets by class name ("SkEQ", "SMoveThumb", ...); null for others.
QWidget* CreateWidgetOfClass(const QString& className, QWidget* parent);
QStringList KnownTags();

// Sets an attribute on any widget of the program; false when it has no such
// attribute or the value does not parse.
bool SetWidgetAttribute(QWidget* widget, const QString& name, const QString& value);

}  // namespace caraudio::widgets
