#include "subtitles/corrections.h"

#include "subtitles/subtitle_track.h"
#include "subtitles/time_text.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace duvara {

namespace {

int32_t SaturateToInt32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Rounds halves to even; NaN and values beyond +-2^62 (a nonsensical factor) are pinned.
int64_t RoundToInt64(double value)
{
    constexpr double limit = 4611686018427387904.0; // 2^62
    if (std::isnan(value))
        return 0;
    return static_cast<int64_t>(std::nearbyint(std::clamp(value, -limit, limit)));
}

} // namespace

int32_t ClampUserOffset(int64_t ms)
{
    return static_cast<int32_t>(std::clamp<int64_t>(ms, -MaxUserOffset, MaxUserOffset));
}

int32_t ClampTargetSpan(int64_t target, int32_t span)
{
    const int64_t low = std::max<int64_t>(0, int64_t {span} - SpanSlack);
    const int64_t high = std::max<int64_t>(low, int64_t {span} + SpanSlack);
    return SaturateToInt32(std::clamp(target, low, high));
}

float DurationFactor(int64_t target, int32_t span)
{
    if (span <= 0)
        return 1.0f;
    return static_cast<float>(static_cast<double>(target) / span);
}

int32_t TrackShift(int32_t userOffset, int32_t baseTime)
{
    return SaturateToInt32(int64_t {userOffset} + baseTime);
}

int32_t LookupOffset(int32_t userOffset, int32_t baseTime)
{
    return SaturateToInt32(int64_t {userOffset} + baseTime - LookupLead);
}

int64_t CorrectedTime(uint32_t stored, float factor, int32_t shift)
{
    const double scaled = static_cast<double>(factor) * RelativeMs(stored);
    const int64_t rounded = RoundToInt64(scaled);
    return rounded + shift;
}

uint32_t ShownTime(uint32_t stored, float factor, int32_t shift)
{
    return static_cast<uint32_t>(std::clamp<int64_t>(CorrectedTime(stored, factor, shift), 0,
                                                     std::numeric_limits<uint32_t>::max()));
}

int32_t SeekTenths(uint32_t start, float factor, int32_t shift)
{
    const double ms = static_cast<double>(factor) * RelativeMs(start) + shift;
    return SaturateToInt32(RoundToInt64(ms / 100));
}

SubtitleTrack CorrectedTimings(const SubtitleTrack &track, int32_t userOffset)
{
    SubtitleTrack copy;
    copy.BaseTime = TrackShift(userOffset, track.BaseTime);
    copy.Subs.resize(track.Subs.size());
    copy.ListText.resize(track.Subs.size());
    const auto scaled = [&track](uint32_t stored) {
        return static_cast<uint32_t>(SaturateToInt32(CorrectedTime(stored, track.DurFactor, 0)));
    };
    for (std::size_t i = 0; i < track.Subs.size(); ++i) {
        copy.Subs[i].StartTime = scaled(track.Subs[i].StartTime);
        copy.Subs[i].EndTime = scaled(track.Subs[i].EndTime);
    }
    ResetCorrections(copy);
    return copy;
}

std::string ListRowTimes(const TSubT &entry, float factor, int32_t shift)
{
    return ListTimeRange(ShownTime(entry.StartTime, factor, shift),
                         ShownTime(entry.EndTime, factor, shift));
}

} // namespace duvara
