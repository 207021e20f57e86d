// Lining one subtitle track up with another by their timing alone: two tracks of one film in
// different languages share when people speak, not what they say. The answer is the track's own
// offset and target span, the two values its panel's controls hold.
#pragma once

#include <cstdint>
#include <vector>

namespace duvara {

struct SubtitleTrack;

struct AlignmentOptions
{
    // An entry matches when its corrected start lies this close to a start of the reference,
    // or its corrected end to an end.
    int32_t matchToleranceMs = 100;
    // Below either, the fit is refused: what little lines up may be chance.
    double minMatchedFraction = 0.25;
    int minMatchedEntries = 10;
    // How far either way the offset is looked for. A fit found beyond the offset control's
    // reach is reported as such rather than missed.
    int32_t searchRangeMs = 600000;
    // Stretch factors tried before the free fit; empty means the ratios between the common
    // frame rates (23.976, 24, 25, 29.97 and 30 frames a second) and 1.
    std::vector<double> scales;
};

enum class AlignmentFailure {
    None,
    EmptyTrack,
    EmptyReference,
    NothingInCommon, // too few entries match anywhere in the searched range
    OffsetOutOfReach, // the fit needs an offset beyond MaxUserOffset
    SpanOutOfReach, // the fit needs a target span beyond what the duration control allows
};

// How far the matched entries still lie from the reference once corrected, in ms.
struct AlignmentResiduals
{
    int matchedEntries = 0;
    int entries = 0;
    double medianMs = 0;
    double p95Ms = 0;
    double maxMs = 0;
};

struct TrackAlignment
{
    bool found = false;
    AlignmentFailure failure = AlignmentFailure::NothingInCommon;
    // The user offset and target span that line the track up: corrected(t) = base + offset +
    // DurationFactor(spanMs, span) * t. Valid when found; with OffsetOutOfReach or
    // SpanOutOfReach they hold what the fit would need.
    int64_t offsetMs = 0;
    int64_t spanMs = 0;
    // Reference time per track time as fitted, before the span rounds it to whole milliseconds.
    double scale = 1.0;
    double matchedFraction = 0;
    AlignmentResiduals residuals;
};

// Finds the linear map of `track`'s times onto `reference`'s that lines up most entry starts
// and ends, and expresses it in the track's corrections. Both tracks are taken with the times
// they were read with: base time plus stored times, whatever correction either has now.
TrackAlignment AlignTracks(const SubtitleTrack &track, const SubtitleTrack &reference,
                           const AlignmentOptions &options = {});

// The stretch factors tried when the options name none.
const std::vector<double> &FrameRateRatios();

} // namespace duvara
