#pragma once

#include <QString>
#include <QWidget>

namespace caraudio::app {

// Loads a layout of the program's resources (":/layouts/NAME.ui") with the
// program's own widgets available by class name. The layout's texts are
// translated in its form class as context, and again when the language
// changes. Null when the layout is missing or broken.
QWidget* LoadLayout(const QString& name, QWidget* parent = nullptr);

// Builds a widget from a layout fragment (freqstyle.xml: the same syntax as
// a layout's widget elements) as a child of `parent`; null when it does not parse.
QWidget* LoadFragment(const QByteArray& xml, QWidget* parent);

// A control by its numeric id (the "id" attribute) or name, below `root`.
QWidget* FindControl(const QWidget* root, int id);
template <typename T>
T* Control(const QWidget* root, int id) {
    return qobject_cast<T*>(FindControl(root, id));
}
template <typename T>
T* Named(const QWidget* root, const char* name) {
    return root->findChild<T*>(QString::fromLatin1(name));
}

int IdOf(const QWidget* widget);

}  // namespace caraudio::app
