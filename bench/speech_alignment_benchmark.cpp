// Aligning a track to a film's speech, end to end on a generated film: how long finding the
// speech takes per hour of film, how close the onsets come to the spoken lines, and how close
// a track 3.2 s late at 23.976 against 25 frames a second lands after the fit.
//
//   duvara-speech-bench FILM.mp4 TRUTH.srt [PARTS]
#include "media/film_speech.h"
#include "subtitles/corrections.h"
#include "subtitles/speech_fit.h"
#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_track.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace duvara;

namespace {

void PrintPercentiles(const char *what, std::vector<double> values)
{
    if (values.empty())
        return;
    std::sort(values.begin(), values.end());
    const auto at = [&values](double share) {
        return values[std::min(values.size() - 1, static_cast<std::size_t>(share * values.size()))];
    };
    std::printf("%s: median %.0f ms, p90 %.0f ms, p95 %.0f ms, p99 %.0f ms, max %.0f ms\n", what,
                at(0.5), at(0.9), at(0.95), at(0.99), values.back());
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fputs("usage: duvara-speech-bench FILM TRUTH.srt [PARTS]\n", stderr);
        return 2;
    }
    SubtitleTrack truth;
    if (ReadSubtitleFile(truth, argv[2]) != LoadResult::Loaded) {
        std::fprintf(stderr, "%s: cannot read\n", argv[2]);
        return 1;
    }
    FilmSpeechOptions options;
    options.parts = argc > 3 ? std::atoi(argv[3]) : 0;
    const auto started = std::chrono::steady_clock::now();
    const FilmSpeech speech = FindFilmSpeech(argv[1], options);
    const double seconds
        = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (speech.status != FilmSpeechStatus::Found) {
        std::fprintf(stderr, "%s\n", speech.error.c_str());
        return 1;
    }
    const double hours = double(speech.durationMs) / 3600000;
    std::printf("film %.2f h, %zu lines, %zu speech intervals\n", hours, truth.Subs.size(),
                speech.intervals.size());
    std::printf("speech found in %.2f s wall: %.2f s per film hour\n", seconds, seconds / hours);

    std::vector<double> onsets;
    for (const TSubT &entry : truth.Subs) {
        const double start = truth.BaseTime + RelativeMs(entry.StartTime);
        double nearest = HUGE_VAL;
        for (const SpeechInterval &i : speech.intervals)
            nearest = std::min(nearest, std::abs(double(i.startMs) - start));
        onsets.push_back(nearest);
    }
    PrintPercentiles("onset error (nearest interval start)", onsets);

    // The track as a 23.976 release 3.2 s late times it.
    const double scale = (24000.0 / 1001) / 25;
    SubtitleTrack track = truth;
    track.BaseTime = static_cast<int32_t>(std::llround((truth.BaseTime + 3200) * scale));
    for (std::size_t i = 0; i < track.Subs.size(); ++i) {
        const auto map = [&](uint32_t t) {
            return static_cast<uint32_t>(
                std::llround((truth.BaseTime + RelativeMs(t) + 3200) * scale) - track.BaseTime);
        };
        track.Subs[i].StartTime = map(truth.Subs[i].StartTime);
        track.Subs[i].EndTime = map(truth.Subs[i].EndTime);
    }
    ResetCorrections(track);
    std::vector<SpeechSpan> spans;
    for (const SpeechInterval &i : speech.intervals)
        spans.push_back({i.startMs, i.endMs});
    const auto fitStarted = std::chrono::steady_clock::now();
    const TrackAlignment fit = AlignTrackToSpeech(track, spans);
    const double fitSeconds
        = std::chrono::duration<double>(std::chrono::steady_clock::now() - fitStarted).count();
    std::printf("fit in %.3f s: found %d, offset %lld ms, span %lld ms, scale %.6f (true %.6f)\n",
                fitSeconds, fit.found ? 1 : 0, static_cast<long long>(fit.offsetMs),
                static_cast<long long>(fit.spanMs), fit.scale, 1 / scale);
    if (!fit.found)
        return 1;
    const float factor = DurationFactor(fit.spanMs, track.SubDuration);
    const int32_t shift = TrackShift(ClampUserOffset(fit.offsetMs), track.BaseTime);
    std::vector<double> residuals;
    int within = 0;
    for (std::size_t i = 0; i < track.Subs.size(); ++i) {
        const double r = std::abs(double(CorrectedTime(track.Subs[i].StartTime, factor, shift))
                                  - (truth.BaseTime + RelativeMs(truth.Subs[i].StartTime)));
        residuals.push_back(r);
        within += r <= 100 ? 1 : 0;
    }
    PrintPercentiles("residual per entry after the fit", residuals);
    std::printf("within 100 ms: %d of %zu (%.1f %%)\n", within, residuals.size(),
                100.0 * within / double(residuals.size()));
    return 0;
}
