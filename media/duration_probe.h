#pragma once

#include <QString>

namespace duvara {

// Duration of a local media file in 100-ns units, read from its container by libavformat
// (a few milliseconds a file); 0 when the container states none. Raises EDirectShowException
// with FFmpeg's text when the file cannot be opened or read.
qint64 ProbeMediaDuration(const QString &fileName);

} // namespace duvara
