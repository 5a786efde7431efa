#pragma once

#include <QStringList>
#include <optional>

class QWidget;

namespace caraudio::app {

// Asks which of a filter file's channel sections to import (layout
// XML_FILTER_SECTION): the first is offered; nothing when the user cancels.
std::optional<int> ChooseSection(QWidget* owner, const QStringList& sections);

}  // namespace caraudio::app
