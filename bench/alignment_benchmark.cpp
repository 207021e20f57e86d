// Lining up two tracks by timing, on generated film-like tracks: what the user waits for after
// asking a track to follow the other.
#include "subtitles/synthetic_timing.h"
#include "subtitles/track_alignment.h"

#include <benchmark/benchmark.h>

using namespace duvara;
using namespace duvara::test;

namespace {

// A translation of the same film: a tenth of its lines lost, split or merged, each line retimed
// by up to a frame, running at 24 / 23.976 and 3.2 s late.
void BM_AlignTracks(benchmark::State &state)
{
    const Timings film = FilmTiming(1, static_cast<int>(state.range(0)));
    const SubtitleTrack reference = TrackOf(Jittered(Damaged(film, 2, 0, 0.05, 0.05), 3, 40));
    const SubtitleTrack track = TrackOf(
        Mapped(Jittered(Damaged(film, 4, 0.1, 0.1, 0.1), 5, 40), 24 / (24000.0 / 1001), 3200));
    for (auto _ : state) {
        const TrackAlignment fit = AlignTracks(track, reference);
        if (!fit.found)
            state.SkipWithError("no fit");
        benchmark::DoNotOptimize(fit);
    }
}

// Tracks of two different films: no scale stands out, so every fit is tried in full.
void BM_AlignUnrelatedTracks(benchmark::State &state)
{
    const auto lines = static_cast<int>(state.range(0));
    const SubtitleTrack reference = TrackOf(FilmTiming(1, lines));
    const SubtitleTrack track = TrackOf(FilmTiming(2, lines));
    for (auto _ : state) {
        const TrackAlignment fit = AlignTracks(track, reference);
        if (fit.found)
            state.SkipWithError("a fit between unrelated tracks");
        benchmark::DoNotOptimize(fit);
    }
}

} // namespace

BENCHMARK(BM_AlignTracks)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlignUnrelatedTracks)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);
