// Anchors: the user says "this entry starts now" while the film plays. One anchor moves the
// track (its offset); two anchors on different entries also stretch it (its target span), so
// that both anchored entries start where the user put them.
#pragma once

#include <cstdint>
#include <vector>

namespace duvara {

struct SubtitleTrack;

struct TrackAnchor
{
    int entry = 0; // 0-based index into the track's entries
    int64_t positionMs = 0; // where the entry's start is to be shown
};

// What placing an anchor did to the anchors already set.
enum class AnchorPlacement {
    Added,
    Replaced, // an anchor on the same entry, or on one starting at the same time, gave way
    Contradicted, // the older anchor would need the track reversed or squeezed to nothing: dropped
};

// The anchors once `added` is placed: at most two, the newest last. The newest is always kept;
// of the older ones only the latest that can stand beside it stays.
std::vector<TrackAnchor> PlaceAnchor(const SubtitleTrack &track, std::vector<TrackAnchor> anchors,
                                     TrackAnchor added, AnchorPlacement *placement = nullptr);

// The offset and target span that honour the anchors, as the panel's controls take them.
struct AnchorCorrection
{
    int32_t offsetMs = 0;
    int32_t spanMs = 0;
    int64_t wantedOffsetMs = 0; // before clamping to the offset's reach
    int64_t wantedSpanMs = 0; // before clamping to the duration's reach
    bool offsetClamped = false;
    bool spanClamped = false;
};

// With one anchor (or two the track cannot stretch between) the span stays `presentSpanMs` and
// only the offset moves; with two the span follows from them and the offset splits what
// rounding leaves between the two. When the span they need is out of reach, the nearest span
// is used and the newest anchor alone places the track. The anchors must be valid entries of
// the track.
AnchorCorrection CorrectionForAnchors(const SubtitleTrack &track,
                                      const std::vector<TrackAnchor> &anchors,
                                      int32_t presentSpanMs);

} // namespace duvara
