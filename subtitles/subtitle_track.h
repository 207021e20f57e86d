// The in-memory subtitle track: its entries, their list texts and the per-track correction state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace duvara {

enum SubtitleStyle : uint8_t {
    StyleBold = 1,
    StyleItalic = 2,
    StyleUnderline = 4,
};

// Entries are numbered with a signed 32-bit number (FindEntryAt's answer, the last shown entry,
// list rows), which bounds a track far beyond any real file. A file with more is refused as too
// large, never cut short.
inline constexpr std::size_t MaxSubtitleEntries
    = static_cast<std::size_t>(std::numeric_limits<int32_t>::max());

// Lines of an entry's Text are joined by LF CR, in that order; the list form uses "|".
inline constexpr char EntryLineBreak[] = "\n\r";
inline constexpr char ListLineBreak = '|';

struct TSubT
{
    std::string Text; // bytes as read, markup removed
    uint8_t Style = 0; // SubtitleStyle bits, for the whole entry
    int32_t Color = -1; // 0x00BBGGRR, or -1 for the track's own colour
    uint32_t StartTime = 0; // ms after the track's base time
    uint32_t EndTime = 0;
};

struct SubtitleTrack
{
    std::vector<TSubT> Subs; // file order, never sorted
    std::vector<std::string> ListText; // parallel to Subs
    int32_t LastIndex = 1; // 1-based entry the label showed last; where the lookup starts
    float DurFactor = 1.0f;
    std::string SubFileName; // last successfully loaded file, without directory
    int32_t BaseTime = 0; // absolute start of the first entry
    int32_t SubDuration = 0; // span: EndTime of the last entry in file order
    // A MicroDVD track's frame rate in thousandths of a frame per second, when all its entries
    // were read at one rate; 0 for SubRip and for a file that changes its rate midway.
    uint32_t FrameRate = 0;

    // Never above MaxSubtitleEntries, so it fits the int the widgets count rows in.
    int SubCount() const { return static_cast<int>(Subs.size()); }

    // Empties the entries and forgets the base time. The span, factor and file name belong to
    // the track panel, which sets them after a load or a clear.
    void Clear();
};

// Stored times are unsigned, but an entry that starts before the first entry of its file holds
// a wrapped negative offset. Reading it back as signed places such entries at their real time.
inline int32_t RelativeMs(uint32_t stored)
{
    return stored <= 0x7FFFFFFFu ? static_cast<int32_t>(stored)
                                 : -static_cast<int32_t>(~stored) - 1;
}

// The track's span as the panel takes it after a load: EndTime of the last entry, 0 when empty.
int32_t TrackSpan(const SubtitleTrack &track);

// What the track panel does after every open: span from the entries, factor 1.0, and the lookup
// starting from the first entry.
void ResetCorrections(SubtitleTrack &track);

// Entry current at `position`: k > 0 entry k (1-based) is current; k < 0 the position lies after
// entry -k and before the next one (or after the last entry); 0 none applies. `offset` is
// added to the factor-scaled stored times. Starts at track.LastIndex so playback costs a test
// or two; the track must not be empty.
int32_t FindEntryAt(const SubtitleTrack &track, int32_t offset, int64_t position, float factor);

} // namespace duvara
