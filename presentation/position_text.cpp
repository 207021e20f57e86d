#include "presentation/position_text.h"

namespace duvara {

QString PositionText(qint64 seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg((seconds % 3600) / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString MediaDurationText(qint64 duration100ns)
{
    return PositionText(duration100ns / 10000000);
}

} // namespace duvara
