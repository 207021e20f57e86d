// Writing a subtitle track as a SubRip file with its corrections applied.
#pragma once

#include <cstdint>
#include <string>

namespace duvara {

struct SubtitleTrack;

// The SubRip text of the track: entries numbered from 1, times Round(DurFactor * t) + shift
// (below 0 written as 0, hours with as many digits as they need), the style as tags around the
// whole text, every line ending in CR LF.
std::string BuildSubRipText(const SubtitleTrack &track, int32_t shift);

// Writes BuildSubRipText to `path`, replacing an existing file atomically. False when the file
// could not be written; an existing file is then left exactly as it was, and `error`, when
// given, receives the reason as WriteFileAtomically gives it (ENOMEM when the text did not fit
// in memory).
bool SaveSubtitles(const SubtitleTrack &track, int32_t shift, const std::string &path,
                   int *error = nullptr);

} // namespace duvara
