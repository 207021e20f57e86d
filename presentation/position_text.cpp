#include "presentation/position_text.h"

namespace duvara {

QString PositionText(qint64 seconds)
{
    const bool negative = seconds < 0;
    const qint64 t = negative ? -seconds : seconds;
    return QStringLiteral("%1%2:%3:%4")
        .arg(negative ? QStringLiteral("-") : QString())
        .arg(t / 3600)
        .arg((t % 3600) / 60, 2, 10, QLatin1Char('0'))
        .arg(t % 60, 2, 10, QLatin1Char('0'));
}

QString MediaDurationText(qint64 duration100ns)
{
    return PositionText(duration100ns / 10000000);
}

} // namespace duvara
