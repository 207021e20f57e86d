// Subtitle timing of film-like shape made from a seed, and the damage two tracks of one film
// suffer from each other: lines lost, split or merged, retimed by a frame or two, stretched by a
// frame-rate ratio, shifted, cut. Plain C++, shared by the alignment tests and the benchmark.
#pragma once

#include "subtitles/subtitle_track.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace duvara::test {

struct Timing
{
    int64_t start = 0; // absolute ms
    int64_t end = 0;
};
using Timings = std::vector<Timing>;

// SplitMix64: the same numbers on every platform and standard library.
class SeededRandom
{
public:
    explicit SeededRandom(uint64_t seed)
        : m_state(seed)
    { }

    uint64_t Next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }

    double Unit() { return double(Next() >> 11) / 9007199254740992.0; } // [0, 1)

    int64_t Between(int64_t low, int64_t high) // inclusive
    {
        return low + int64_t(Next() % uint64_t(high - low + 1));
    }

private:
    uint64_t m_state;
};

// Lines of 1 to 6 s; most gaps a fraction of a second to a second and a half, some up to 10 s.
inline Timings FilmTiming(uint64_t seed, int count, int64_t firstStart = 20000)
{
    SeededRandom random(seed);
    Timings timings;
    int64_t at = firstStart;
    for (int i = 0; i < count; ++i) {
        const int64_t length = random.Between(1000, 6000);
        timings.push_back({at, at + length});
        const bool pause = random.Unit() < 0.3;
        at += length + (pause ? random.Between(1500, 10000) : random.Between(100, 1500));
    }
    return timings;
}

// Each line is lost with chance `missing`, split in two at a word near its middle with chance
// `split`, or merged with the line after it with chance `merged`.
inline Timings Damaged(const Timings &timings, uint64_t seed, double missing, double split,
                       double merged)
{
    SeededRandom random(seed);
    Timings out;
    for (std::size_t i = 0; i < timings.size(); ++i) {
        const Timing t = timings[i];
        const double roll = random.Unit();
        if (roll < missing)
            continue;
        if (roll < missing + split) {
            const int64_t middle = t.start + (t.end - t.start) * random.Between(35, 65) / 100;
            out.push_back({t.start, middle});
            out.push_back({middle, t.end});
        } else if (roll < missing + split + merged && i + 1 < timings.size()) {
            out.push_back({t.start, timings[++i].end});
        } else {
            out.push_back(t);
        }
    }
    return out;
}

// Every start and end moved by up to `jitter` ms either way, as when a translator retimes.
inline Timings Jittered(const Timings &timings, uint64_t seed, int64_t jitter)
{
    SeededRandom random(seed);
    Timings out;
    for (Timing t : timings) {
        t.start += random.Between(-jitter, jitter);
        t.end = std::max(t.start + 200, t.end + random.Between(-jitter, jitter));
        out.push_back(t);
    }
    return out;
}

// Times as the track would have them when it runs at `scale` and `shift` ms late: the whole
// milliseconds of scale * t + shift.
inline Timings Mapped(const Timings &timings, double scale, double shift)
{
    Timings out;
    for (const Timing &t : timings)
        out.push_back({std::llround(scale * double(t.start) + shift),
                       std::llround(scale * double(t.end) + shift)});
    return out;
}

// A track as the reader fills it from a file with these entries in this order.
inline SubtitleTrack TrackOf(const Timings &timings)
{
    SubtitleTrack track;
    for (const Timing &t : timings) {
        if (track.Subs.empty())
            track.BaseTime = static_cast<int32_t>(t.start);
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
