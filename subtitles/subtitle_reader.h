// Reading SubRip and MicroDVD files into a subtitle track.
#pragma once

#include <cstddef>
#include <optional>
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

// The grammar a file is read in: the first of its lines that only one grammar would begin an
// entry with (a MicroDVD "{start}{end}", a SubRip "start --> end" time line), among the first
// few, and otherwise its name. A SubRip file named .txt read as MicroDVD would give an empty
// entry for every line, and a MicroDVD file named .srt read as SubRip no entry at all.
SubtitleGrammar GrammarForText(std::string_view text, std::string_view fileName);

enum class LoadResult {
    Loaded,
    Unreadable, // missing, unreadable, a directory, or not a single line
    TooLarge, // its entries would not fit in memory, or are more than a track can number
};

// Empties the track, then fills it from the file. Loaded when the file could be read and holds
// at least one line, even if no entry was recognised; the track then holds every entry of the
// file and SubFileName its name. Anything else leaves the track empty. `memoryLimit` bounds
// what the load may allocate; without it, the load takes no more than the system has available.
LoadResult ReadSubtitleFile(SubtitleTrack &track, const std::string &path,
                            std::optional<std::size_t> memoryLimit = std::nullopt);

// The same for bytes already in memory; `fileName` becomes SubFileName, and chooses the grammar
// where the text does not (GrammarForText).
LoadResult ReadSubtitleBuffer(SubtitleTrack &track, std::string_view bytes,
                              std::string_view fileName,
                              std::optional<std::size_t> memoryLimit = std::nullopt);

// ReadSubtitleFile and ReadSubtitleBuffer for callers that tell no failure from another: true
// when Loaded.
bool LoadSubtitles(SubtitleTrack &track, const std::string &path);
bool LoadSubtitlesFromBuffer(SubtitleTrack &track, std::string_view bytes,
                             std::string_view fileName);

} // namespace duvara
