#pragma once

#include <QLocale>
#include <QString>

namespace duvara {

// What the last transport command was; each kind has its own state text on the display.
enum class OsdMessage { Play, Pause, Stop, Speed };

// "Clip" while the playlist has fewer than two rows (or nothing plays), otherwise "Clip " and
// the 1-based row that plays.
QString OsdClipText(int playlistCount, int playIndex);

// The state line for a message kind; the speed only matters for OsdMessage::Speed, where a
// negative speed reads as rewinding at its magnitude.
QString OsdStateText(OsdMessage kind, double speed, const QLocale &locale = QLocale());

// A speed in its shortest general form with the locale's decimal separator: 2, 0.5, 0.25.
QString OsdSpeedText(double speed, const QLocale &locale = QLocale());

// Volume levels run 0..10000; every started 500 adds one bar, so any audible level shows one.
int VolumeBarLength(int level);
QString VolumeBarText(int level);

} // namespace duvara
