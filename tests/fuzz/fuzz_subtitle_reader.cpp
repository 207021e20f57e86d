// libFuzzer target for the subtitle reader. The first byte chooses the grammar (even: SubRip,
// odd: MicroDVD) and the correction values; the rest is the file. Every track read is also
// looked up, written and read back, since those walk what the reader left behind. Crashing
// inputs go unchanged into tests/data/subtitles/regression/, which the reader test replays.
#include "subtitles/corrections.h"
#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_track.h"
#include "subtitles/subtitle_writer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace duvara;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t selector = data[0];
    const std::string_view bytes(reinterpret_cast<const char *>(data + 1), size - 1);

    SubtitleTrack track;
    const bool loaded
        = LoadSubtitlesFromBuffer(track, bytes, (selector & 1) ? "fuzz.sub" : "fuzz.srt");
    if (track.Subs.size() != track.ListText.size() || track.Subs.size() > MaxSubtitleEntries
        || (!loaded && !track.Subs.empty()))
        std::abort();

    // Under a memory limit of some bytes per input byte a dense input fails part-way, once its
    // entries outgrow their first storage; a failed load must leave nothing behind, one that
    // succeeds the same entries.
    SubtitleTrack limited;
    const LoadResult result
        = ReadSubtitleBuffer(limited, bytes, (selector & 1) ? "fuzz.sub" : "fuzz.srt",
                             bytes.size() * 24 + (std::size_t {128} << 10));
    if (result == LoadResult::TooLarge ? !limited.Subs.empty() || !limited.ListText.empty()
                                       : limited.Subs.size() != track.Subs.size())
        std::abort();

    if (track.Subs.empty())
        return 0;

    ResetCorrections(track);
    const int32_t offset = ClampUserOffset(((selector >> 1) & 7) * 20000 - 60000);
    track.DurFactor = DurationFactor(
        ClampTargetSpan(int64_t {track.SubDuration} * (selector >> 4) / 8, track.SubDuration),
        track.SubDuration);
    for (const int64_t position :
         {int64_t {-1}, int64_t {0}, int64_t {track.BaseTime}, int64_t {1} << 40}) {
        track.LastIndex = static_cast<int32_t>(position & 0xFFFF);
        const int32_t found
            = FindEntryAt(track, LookupOffset(offset, track.BaseTime), position, track.DurFactor);
        if (found > int32_t(track.Subs.size()) || found < -int32_t(track.Subs.size()))
            std::abort();
    }

    // Read the written text back into the same track: a reload overwrites entries in place.
    const std::string written = BuildSubRipText(track, TrackShift(offset, track.BaseTime));
    if (!LoadSubtitlesFromBuffer(track, written, "fuzz.srt")
        || track.Subs.size() != track.ListText.size())
        std::abort();
    return 0;
}
