// Film-like subtitle timing from a seed, and what two tracks of one film do to each other: lines
// lost, split or merged, retimed, stretched by a frame-rate ratio, shifted. Plain C++, shared by
// the alignment tests and the benchmark.
#pragma once

#include "subtitles/subtitle_track.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace duvara::test {

struct Timing
{
    int64_t start = 0; // absolute ms
    int64_t end = 0;
};
using Timings = std::vector<Timing>;

// mt19937_64's numbers are the same everywhere; the standard's distributions are not.
inline int64_t Between(std::mt19937_64 &random, int64_t low, int64_t high)
{
    return low + int64_t(random() % uint64_t(high - low + 1));
}

// Lines of 1 to 6 s; most gaps under a second and a half, some up to 10 s.
inline Timings FilmTiming(uint64_t seed, int count, int64_t firstStart = 20000)
{
    std::mt19937_64 random(seed);
    Timings timings;
    for (int64_t at = firstStart; int(timings.size()) < count;) {
        const int64_t length = Between(random, 1000, 6000);
        timings.push_back({at, at + length});
        at += length
            + (Between(random, 0, 9) < 3 ? Between(random, 1500, 10000)
                                         : Between(random, 100, 1500));
    }
    return timings;
}

// Each line lost with chance `lost`, split in two near its middle with chance `split`, or merged
// with the next with chance `merged`.
inline Timings Damaged(const Timings &timings, uint64_t seed, double lost, double split,
                       double merged)
{
    std::mt19937_64 random(seed);
    Timings out;
    for (std::size_t i = 0; i < timings.size(); ++i) {
        const Timing t = timings[i];
        const double roll = double(Between(random, 0, 999999)) / 1e6;
        if (roll < lost)
            continue;
        if (roll < lost + split) {
            const int64_t middle = t.start + (t.end - t.start) * Between(random, 35, 65) / 100;
            out.push_back({t.start, middle});
            out.push_back({middle, t.end});
        } else if (roll < lost + split + merged && i + 1 < timings.size()) {
            out.push_back({t.start, timings[++i].end});
        } else {
            out.push_back(t);
        }
    }
    return out;
}

// Every start and end moved by up to `jitter` ms either way, as a translator's retiming does.
inline Timings Jittered(Timings timings, uint64_t seed, int64_t jitter)
{
    std::mt19937_64 random(seed);
    for (Timing &t : timings) {
        t.start += Between(random, -jitter, jitter);
        t.end = std::max(t.start + 200, t.end + Between(random, -jitter, jitter));
    }
    return timings;
}

// The whole milliseconds of scale * t + shift: a track running at `scale`, `shift` ms late.
inline Timings Mapped(Timings timings, double scale, double shift)
{
    for (Timing &t : timings)
        t = {std::llround(scale * double(t.start) + shift),
             std::llround(scale * double(t.end) + shift)};
    return timings;
}

// The track the reader makes of a file with these entries in this order.
inline SubtitleTrack TrackOf(const Timings &timings)
{
    SubtitleTrack track;
    track.BaseTime = timings.empty() ? 0 : static_cast<int32_t>(timings.front().start);
    for (const Timing &t : timings) {
        TSubT entry;
        entry.StartTime = static_cast<uint32_t>(t.start - track.BaseTime);
        entry.EndTime = static_cast<uint32_t>(t.end - track.BaseTime);
        entry.Text = "line " + std::to_string(track.Subs.size() + 1);
        track.ListText.push_back(entry.Text);
        track.Subs.push_back(entry);
    }
    ResetCorrections(track);
    return track;
}

} // namespace duvara::test
