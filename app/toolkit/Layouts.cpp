#include "Layouts.h"

#include <QBuffer>
#include <QFile>
#include <QUiLoader>

#include "Attributes.h"
#include "WidgetRegistry.h"

namespace caraudio::app {
namespace {

class Loader final : public QUiLoader {
public:
    Loader() { setLanguageChangeEnabled(true); }

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        if (QWidget* w = widgets::CreateWidgetOfClass(className, parent)) {
            w->setObjectName(name);
            return w;
        }
        return QUiLoader::createWidget(className, parent, name);
    }
};

}  // namespace

QWidget* LoadLayout(const QString& name, QWidget* parent) {
    QFile file(":/layouts/" + name + ".ui");
    if (!file.open(QIODevice::ReadOnly)) return nullptr;
    Loader loader;
    return loader.load(&file, parent);
}

QWidget* LoadFragment(const QByteArray& xml, QWidget* parent) {
    // A fragment is one widget element: wrapped into a form to load it.
    const QByteArray form =
        "<?xml version=\"1.0\"?><ui version=\"4.0\"><class>fragment</class>" + xml + "</ui>";
    QBuffer buffer;
    buffer.setData(form);
    buffer.open(QIODevice::ReadOnly);
    Loader loader;
    return loader.load(&buffer, parent);
}

int IdOf(const QWidget* w) {
    const int own = widgets::ControlIdOf(w);
    return own != 0 ? own : w->property("id").toInt();
}

QWidget* FindControl(const QWidget* root, int id) {
    if (!root) return nullptr;
    const auto all = root->findChildren<QWidget*>();
    for (QWidget* w : all)
        if (IdOf(w) == id) return w;
    return nullptr;
}

}  // namespace caraudio::app
