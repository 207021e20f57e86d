// Lining a subtitle track up with the speech found in its film. Speech intervals are turned into
// a reference track, one entry per interval, and the track is aligned to it by timing as it would
// be to another subtitle track; only the matching is loosened to what speech onsets allow.
#pragma once

#include "subtitles/track_alignment.h"

#include <cstdint>
#include <vector>

namespace duvara {

struct SubtitleTrack;

struct SpeechSpan
{
    int64_t startMs = 0; // film time
    int64_t endMs = 0;
};

// One entry per span, in the order given; spans that end before they start are taken as points.
SubtitleTrack SpeechReferenceTrack(const std::vector<SpeechSpan> &speech);

// The alignment's options for speech: see the definition for how they were chosen.
AlignmentOptions SpeechAlignmentOptions();

TrackAlignment AlignTrackToSpeech(const SubtitleTrack &track, const std::vector<SpeechSpan> &speech,
                                  const AlignmentOptions &options = SpeechAlignmentOptions());

} // namespace duvara
