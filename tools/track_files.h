// Reading and saving a track for duvara-subs. A failure comes back as the text that follows
// the program's name in its message: the file, then what went wrong with it.
#pragma once

#include <cstdint>
#include <string>

namespace duvara {

struct SubtitleTrack;

// Empty when `path` was read into `track` and holds at least one entry. A file in which no
// entry is found is refused too: whatever it is, it is not a track to list, look up or save.
std::string ReadTrack(SubtitleTrack &track, const std::string &path);

// Empty when the track, corrected by `shift`, was saved to `path`; else `path` is as it was.
std::string SaveTrack(const SubtitleTrack &track, int32_t shift, const std::string &path);

} // namespace duvara
