#include "core/interval_rule.h"

#include <QRegularExpression>
#include <cfenv>
#include <cmath>

namespace orvane2 {

std::optional<int> IntervalMilliseconds(const QString& seconds)
{
    // Digits with an optional sign and an optional "." fraction; no exponents, no
    // grouping, no trailing letters.
    static const QRegularExpression kNumber(QStringLiteral(R"(\A[+-]?([0-9]+(\.[0-9]*)?|\.[0-9]+)\z)"));
    if (!kNumber.match(seconds).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = seconds.toDouble(&ok);  // always "." as the decimal point
    if (!ok || !(value >= 5.0 && value <= 3600.0))
        return std::nullopt;
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double ms = std::nearbyint(value * 1000.0);
    std::fesetround(previous);
    return static_cast<int>(ms);
}

}  // namespace orvane2
