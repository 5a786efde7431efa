#pragma once

#include <QVBoxLayout>
#include <QWidget>

namespace caraudio::widgets {

// A widget made to fill `area` (a placeholder of a layout) edge to edge.
template <typename W>
W* FillingArea(QWidget* area) {
    auto* widget = new W(area);
    auto* box = new QVBoxLayout(area);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(widget);
    return widget;
}

}  // namespace caraudio::widgets
