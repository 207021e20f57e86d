#include "presentation/osd_texts.h"

#include <QtGlobal>

namespace duvara {

QString OsdClipText(int playlistCount, int playIndex)
{
    if (playlistCount < 2 || playIndex < 0)
        return QStringLiteral("Clip");
    return QStringLiteral("Clip ") + QString::number(playIndex + 1);
}

QString OsdSpeedText(double speed, const QLocale &locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(speed, 'g', QLocale::FloatingPointShortest);
}

QString OsdStateText(OsdMessage kind, double speed, const QLocale &locale)
{
    switch (kind) {
    case OsdMessage::Play:
        return QStringLiteral("Play");
    case OsdMessage::Pause:
        return QStringLiteral("Pause");
    case OsdMessage::Stop:
        return QStringLiteral("Stop");
    case OsdMessage::Speed:
        if (speed > 0)
            return QStringLiteral("Speed: x") + OsdSpeedText(speed, locale);
        return QStringLiteral("Rew speed: x") + OsdSpeedText(0.0 - speed, locale); // never "-0"
    }
    return QString();
}

int VolumeBarLength(int level)
{
    return (qBound(0, level, 10000) + 499) / 500;
}

QString VolumeBarText(int level)
{
    return QString(VolumeBarLength(level), QLatin1Char('I'));
}

} // namespace duvara
