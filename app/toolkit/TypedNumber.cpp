#include "TypedNumber.h"

#include <QLineEdit>
#include <cmath>

namespace caraudio::app {

QString PlainNumber(double v) {
    return QString::number(v, 'g', 10);
}

std::optional<double> TypedNumber(const QLineEdit* field) {
    bool ok = false;
    const double v = field->text().trimmed().replace(',', '.').toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace caraudio::app
