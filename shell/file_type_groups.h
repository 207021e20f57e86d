// The groups of media file types the player can be bound to, in the order of the file type
// dialog's rows. The settings file keeps one check per group under its key.
#pragma once

#include <array>

namespace duvara {

struct FileTypeGroup
{
    const char *text;
    const char *settingsKey;
    std::array<const char *, 11> extensions; // lower case, without the dot; unused slots null
};

inline constexpr std::array<FileTypeGroup, 6> kFileTypeGroups = {{
    {"Windows Video files (AVI)", "AVI", {"avi"}},
    {"Movie files (MPEG, MPG, MPE, M1V, M2V, MP2, M2P, MPV, MPA, MP4, M4A)",
     "MPG",
     {"mpeg", "mpg", "mpe", "m1v", "m2v", "mp2", "m2p", "mpv", "mpa", "mp4", "m4a"}},
    {"Windows Media file (ASF, WM, WMA, WMV)", "ASF", {"asf", "wm", "wma", "wmv"}},
    {"Windows Audio files (WAV)", "WAV", {"wav"}},
    {"MP3 Audio files (MP3, M3U)", "MP3", {"mp3", "m3u"}},
    {"MIDI files (MID, MIDI, RMI)", "MID", {"mid", "midi", "rmi"}},
}};

} // namespace duvara
