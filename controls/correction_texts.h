// The on-screen lines that tell what a quick correction did to a track.
#pragma once

#include <QString>

#include <cstdint>

namespace duvara {

// "+2.350 s", "-0.100 s", "+0.000 s".
QString SignedSeconds(int64_t ms);

// "Secondary: +2.350 s" and, when the track is stretched, ", ×1.0427" after it.
QString CorrectionText(const QString &track, int64_t offsetMs, double factor);

} // namespace duvara
