#include "subtitles/track_anchors.h"

#include "subtitles/corrections.h"
#include "subtitles/subtitle_track.h"

#include <algorithm>
#include <cmath>

namespace duvara {

namespace {

int64_t ReadStart(const SubtitleTrack &track, const TrackAnchor &anchor)
{
    return RelativeMs(track.Subs[static_cast<std::size_t>(anchor.entry)].StartTime);
}

// Two anchors can stand together only when the later entry is also shown later: anything else
// needs a reversed track or one squeezed to nothing.
bool CanStandTogether(const SubtitleTrack &track, const TrackAnchor &a, const TrackAnchor &b)
{
    const int64_t read = ReadStart(track, b) - ReadStart(track, a);
    const int64_t shown = b.positionMs - a.positionMs;
    return (read > 0 && shown > 0) || (read < 0 && shown < 0);
}

} // namespace

std::vector<TrackAnchor> PlaceAnchor(const SubtitleTrack &track, std::vector<TrackAnchor> anchors,
                                     TrackAnchor added, AnchorPlacement *placement)
{
    AnchorPlacement outcome = AnchorPlacement::Added;
    std::vector<TrackAnchor> others;
    for (const TrackAnchor &anchor : anchors) {
        // One read time can be shown at one place only: the newer word wins.
        if (anchor.entry == added.entry || ReadStart(track, anchor) == ReadStart(track, added))
            outcome = AnchorPlacement::Replaced;
        else
            others.push_back(anchor);
    }
    std::vector<TrackAnchor> kept;
    for (auto older = others.rbegin(); older != others.rend(); ++older) {
        if (CanStandTogether(track, *older, added)) {
            kept.push_back(*older);
            break;
        }
    }
    if (kept.empty() && !others.empty())
        outcome = AnchorPlacement::Contradicted;
    kept.push_back(added);
    if (placement)
        *placement = outcome;
    return kept;
}

AnchorCorrection CorrectionForAnchors(const SubtitleTrack &track,
                                      const std::vector<TrackAnchor> &anchors,
                                      int32_t presentSpanMs)
{
    AnchorCorrection result;
    result.spanMs = presentSpanMs;
    result.wantedSpanMs = presentSpanMs;
    if (anchors.empty())
        return result;

    std::vector<TrackAnchor> used {anchors.back()};
    if (anchors.size() >= 2 && track.SubDuration > 0) {
        const TrackAnchor &first = anchors[anchors.size() - 2];
        const TrackAnchor &last = anchors.back();
        const double stretch = static_cast<double>(last.positionMs - first.positionMs)
            / static_cast<double>(ReadStart(track, last) - ReadStart(track, first));
        if (stretch > 0) {
            result.wantedSpanMs = static_cast<int64_t>(
                std::nearbyint(std::min(stretch * track.SubDuration, 4.0e18)));
            result.spanMs = ClampTargetSpan(result.wantedSpanMs, track.SubDuration);
            result.spanClamped = result.spanMs != result.wantedSpanMs;
            // A stretch out of reach cannot honour both; the line just placed is the one kept.
            if (!result.spanClamped)
                used.insert(used.begin(), first);
        }
    }

    // Each anchor asks for its own offset under the factor the span gives (rounded as the lists
    // and the writer round); the offset halves what the span's whole milliseconds leave between
    // them.
    const float factor = DurationFactor(result.spanMs, track.SubDuration);
    double wanted = 0;
    for (const TrackAnchor &anchor : used) {
        const uint32_t stored = track.Subs[static_cast<std::size_t>(anchor.entry)].StartTime;
        wanted += static_cast<double>(anchor.positionMs - CorrectedTime(stored, factor, 0)
                                      - track.BaseTime);
    }
    result.wantedOffsetMs = static_cast<int64_t>(std::nearbyint(wanted / used.size()));
    result.offsetMs = ClampUserOffset(result.wantedOffsetMs);
    result.offsetClamped = result.offsetMs != result.wantedOffsetMs;
    return result;
}

} // namespace duvara
