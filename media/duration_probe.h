#pragma once

#include <QString>

#include <functional>
#include <optional>

class QObject;

namespace duvara {

// How long a duration probe may take before it is given up.
inline constexpr int kProbeLimitMs = 5000;

// Duration of a local media file in 100-ns units, read from its container by libavformat
// (a few milliseconds a file); 0 when the container states none. Raises EDirectShowException
// with FFmpeg's text when the file cannot be opened or read.
// What is not a regular file (a named pipe, a device, a folder) is refused with the media error
// before anything opens it, and a probe that takes longer than `limitMs` is given up (its error).
qint64 ProbeMediaDuration(const QString &fileName, int limitMs = kProbeLimitMs);

// Raises the media error for a name that is not an existing, readable regular file. Costs one
// stat and one open: cheap enough for the GUI thread.
void CheckMediaFile(const QString &fileName);

// Probes on a worker thread and calls `done` on `context`'s thread with the duration, or with
// nothing when the file could not be measured; nothing is called once `context` is gone.
void ProbeMediaDurationLater(const QString &fileName, QObject *context,
                             std::function<void(std::optional<qint64>)> done);

} // namespace duvara
