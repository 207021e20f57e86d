// The kinds of file the player offers to open as films.
#pragma once

#include <array>

namespace duvara {

// The types the open dialog offers, lower case and without the dot.
inline constexpr std::array<const char *, 14> kVideoExtensions
    = {"avi", "mpg", "mpeg", "mpv", "m2v", "mpe",  "m2p",
       "mp4", "wmv", "wm",   "asf", "mkv", "webm", "mov"};
inline constexpr std::array<const char *, 12> kAudioExtensions
    = {"mpa", "mp2", "mp3", "m3u", "m4a", "wav", "wma", "mid", "midi", "rmi", "ogg", "flac"};

} // namespace duvara
