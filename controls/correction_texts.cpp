#include "controls/correction_texts.h"

#include <cmath>
#include <cstdlib>

namespace duvara {

QString SignedSeconds(int64_t ms)
{
    const int64_t magnitude = std::llabs(ms);
    return QStringLiteral("%1%2.%3 s")
        .arg(ms < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(magnitude / 1000)
        .arg(magnitude % 1000, 3, 10, QLatin1Char('0'));
}

QString CorrectionText(const QString &track, int64_t offsetMs, double factor)
{
    QString text = track + QStringLiteral(": ") + SignedSeconds(offsetMs);
    // A factor that reads 1.0000 stretches by less than a frame over two hours: not worth a word.
    if (std::abs(factor - 1.0) >= 0.00005)
        text += QStringLiteral(", \u00D7%1").arg(factor, 0, 'f', 4);
    return text;
}

} // namespace duvara
