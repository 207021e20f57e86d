#pragma once

#include <QString>

namespace duvara {

// h:mm:ss with the hours unpadded and unbounded, as the position display and the playlist
// show times.
QString PositionText(qint64 seconds);

// The playlist's duration text of a media duration in 100-ns units.
QString MediaDurationText(qint64 duration100ns);

} // namespace duvara
