#include "subtitles/speech_fit.h"

#include "subtitles/subtitle_track.h"

#include <algorithm>
#include <limits>

namespace duvara {

namespace {

int32_t ClampMs(int64_t ms)
{
    return static_cast<int32_t>(std::clamp<int64_t>(ms, 0, std::numeric_limits<int32_t>::max()));
}

} // namespace

SubtitleTrack SpeechReferenceTrack(const std::vector<SpeechSpan> &speech)
{
    SubtitleTrack reference;
    if (speech.empty())
        return reference;
    reference.BaseTime = ClampMs(speech.front().startMs);
    reference.Subs.reserve(speech.size());
    reference.ListText.assign(speech.size(), std::string());
    for (const SpeechSpan &span : speech) {
        const int32_t start = ClampMs(span.startMs);
        const int32_t end = std::max(start, ClampMs(span.endMs));
        TSubT entry;
        entry.StartTime = static_cast<uint32_t>(start - reference.BaseTime);
        entry.EndTime = static_cast<uint32_t>(end - reference.BaseTime);
        reference.Subs.push_back(std::move(entry));
    }
    ResetCorrections(reference);
    return reference;
}

AlignmentOptions SpeechAlignmentOptions()
{
    AlignmentOptions options;
    return options;
}

namespace {

// Where a voice stops says little about when its subtitle goes (subtitles stay up to be read,
// and a sentence's last syllables fade into the noise), while onsets are sharp. Both sides are
// matched on starts alone: every entry ends where it starts, except the track's last in file
// order, whose end is the span the answer is expressed in.
SubtitleTrack StartsOnly(SubtitleTrack track)
{
    for (std::size_t i = 0; i + 1 < track.Subs.size(); ++i)
        track.Subs[i].EndTime = track.Subs[i].StartTime;
    return track;
}

} // namespace

TrackAlignment AlignTrackToSpeech(const SubtitleTrack &track, const std::vector<SpeechSpan> &speech,
                                  const AlignmentOptions &options)
{
    return AlignTracks(StartsOnly(track), StartsOnly(SpeechReferenceTrack(speech)), options);
}

} // namespace duvara
