#include "subtitles/frame_retiming.h"

#include "subtitles/subtitle_track.h"
#include "subtitles/time_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace duvara {

namespace {

// Beyond this a frame lasts 2 ms or less, and a time rounded to whole milliseconds no longer
// names its frame for certain.
constexpr uint32_t HighestRetimableRate = 500000;

int64_t FrameAt(int64_t ms, uint32_t rate)
{
    return static_cast<int64_t>(std::nearbyint(static_cast<double>(ms) * rate / 1.0e6));
}

} // namespace

const std::vector<uint32_t> &CommonFrameRates()
{
    static const std::vector<uint32_t> rates {23976, 24000, 25000, 29970, 30000};
    return rates;
}

std::string FrameRateText(uint32_t rate)
{
    char text[24];
    std::snprintf(text, sizeof text, "%u.%03u", rate / 1000, rate % 1000);
    std::string shown(text);
    while (shown.back() == '0')
        shown.pop_back();
    if (shown.back() == '.')
        shown.pop_back();
    return shown;
}

uint32_t FrameRateFromFps(double fps)
{
    if (!(fps > 0) || fps * 1000 > std::numeric_limits<uint32_t>::max())
        return 0;
    return static_cast<uint32_t>(std::nearbyint(fps * 1000));
}

bool CanRetime(const SubtitleTrack &track)
{
    return track.FrameRate > 0 && track.FrameRate <= HighestRetimableRate && !track.Subs.empty();
}

void RetimeFrames(SubtitleTrack &track, uint32_t rate)
{
    const uint32_t readAt = track.FrameRate;
    const auto retimed = [&](uint32_t stored) -> int64_t {
        const int64_t frame = FrameAt(int64_t {track.BaseTime} + RelativeMs(stored), readAt);
        return FramesToMs(rate, frame * 1000);
    };
    const int64_t base = retimed(track.Subs.front().StartTime);
    const auto relative = [base](int64_t absolute) {
        // Stored as the reader stores it: an entry before the first wraps.
        return static_cast<uint32_t>(static_cast<int32_t>(
            std::clamp<int64_t>(absolute - base, std::numeric_limits<int32_t>::min(),
                                std::numeric_limits<int32_t>::max())));
    };
    for (TSubT &entry : track.Subs) {
        const int64_t start = retimed(entry.StartTime);
        const int64_t end = retimed(entry.EndTime);
        entry.StartTime = relative(start);
        entry.EndTime = relative(end);
    }
    track.BaseTime = static_cast<int32_t>(base);
    track.FrameRate = rate;
}

} // namespace duvara
