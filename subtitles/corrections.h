// Offset and duration correction of a track: corrected(t) = base + offset + factor * t.
// The track panels, the synchronisation, the writer and duvara-subs all evaluate it here.
#pragma once

#include <cstdint>
#include <string>

namespace duvara {

struct SubtitleTrack;
struct TSubT;

inline constexpr int32_t MaxUserOffset = 60000; // ms either way
inline constexpr int32_t SpanSlack = 1800000; // the target span stays within span +- 30 min
inline constexpr int32_t LookupLead = 150; // captions show this many ms early

// The user offset as the offset editor accepts it.
int32_t ClampUserOffset(int64_t ms);

// The target span as the duration editor accepts it: [max(0, span - 30 min), span + 30 min].
int32_t ClampTargetSpan(int64_t target, int32_t span);

// target / span as a single-precision factor; 1.0 when the span is not positive, since a
// track that ends where it starts (or before) has nothing to stretch.
float DurationFactor(int64_t target, int32_t span);

// offset + base, the shift the list and the writer add to scaled times (saturating).
int32_t TrackShift(int32_t userOffset, int32_t baseTime);

// offset + base - 150, the offset the synchronisation hands to FindEntryAt (saturating).
int32_t LookupOffset(int32_t userOffset, int32_t baseTime);

// Round(factor * t) + shift, halves to even, without overflow.
int64_t CorrectedTime(uint32_t stored, float factor, int32_t shift);

// The corrected time as lists show it and the writer writes it: below 0 shows as 0.
uint32_t ShownTime(uint32_t stored, float factor, int32_t shift);

// Round((factor * start + shift) / 100): the corrected start as a position in tenths of a second.
int32_t SeekTenths(uint32_t start, float factor, int32_t shift);

// The track's timing as it is shown under `userOffset` and its DurFactor: a copy without text
// whose read times are the corrected ones, for measuring another track against this one.
SubtitleTrack CorrectedTimings(const SubtitleTrack &track, int32_t userOffset);

// The time column of a list row for one entry.
std::string ListRowTimes(const TSubT &entry, float factor, int32_t shift);

} // namespace duvara
