#pragma once

#include <QString>
#include <optional>

class QLineEdit;

namespace caraudio::app {

// A number as a field shows it: plain, up to ten significant digits.
QString PlainNumber(double v);

// A field's number, read without the locale (a comma counts as the point);
// nothing when it is not a finite number.
std::optional<double> TypedNumber(const QLineEdit* field);

}  // namespace caraudio::app
