// Reading SubRip and MicroDVD files into a subtitle track.
#pragma once

#include <string>
#include <string_view>

namespace duvara {

struct SubtitleTrack;

enum class SubtitleGrammar {
    SubRip,
    MicroDvd,
};

// ".SUB" and ".TXT" (case-insensitive, first four characters of the extension) are MicroDVD;
// everything else is read as SubRip.
SubtitleGrammar GrammarForFileName(std::string_view fileName);

// Empties the track, then fills it from the file. True when the file could be read and holds at
// least one line, even if no entry was recognised; the track then holds exactly this file's
// entries, every one of them, and SubFileName its name. False leaves the track empty.
bool LoadSubtitles(SubtitleTrack &track, const std::string &path);

// The same for bytes already in memory; `fileName` chooses the grammar and becomes SubFileName.
bool LoadSubtitlesFromBuffer(SubtitleTrack &track, std::string_view bytes,
                             std::string_view fileName);

} // namespace duvara
