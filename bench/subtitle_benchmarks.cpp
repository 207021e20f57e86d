// Subtitle documents: reading, writing and the per-tick lookup on generated tracks.
#include "subtitles/corrections.h"
#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_track.h"
#include "subtitles/subtitle_writer.h"
#include "subtitles/time_text.h"

#include "subtitle_files.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

using namespace duvara;
using namespace duvara::bench;

namespace {

const std::string &CachedFile(bool microDvd, int entries)
{
    static std::string cache[2][3];
    const int slot = entries == 1500 ? 0 : entries == 20000 ? 1 : 2;
    std::string &text = cache[microDvd][slot];
    if (text.empty())
        text = microDvd ? MicroDvdFile(entries) : SubRipFile(entries);
    return text;
}

// Reading into the same track again, as Open does on a loaded track; or into a new track each
// time, whose strings all come fresh from a heap full of the previous track's freed ones.
void Read(benchmark::State &state, bool microDvd, bool newTrack)
{
    const std::string &file = CachedFile(microDvd, static_cast<int>(state.range(0)));
    const char *name = microDvd ? "bench.sub" : "bench.srt";
    std::size_t entries = 0;
    SubtitleTrack track;
    for (auto _ : state) {
        if (newTrack) {
            SubtitleTrack fresh;
            LoadSubtitlesFromBuffer(fresh, file, name);
            entries = fresh.Subs.size();
            benchmark::DoNotOptimize(fresh.Subs.data());
        } else {
            LoadSubtitlesFromBuffer(track, file, name);
            entries = track.Subs.size();
            benchmark::DoNotOptimize(track.Subs.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(entries));
    state.counters["file_MB"] = static_cast<double>(file.size()) / 1e6;
}

void BM_ReadSubRip(benchmark::State &state)
{
    Read(state, false, false);
}
void BM_ReadMicroDvd(benchmark::State &state)
{
    Read(state, true, false);
}
void BM_ReadSubRipIntoNewTrack(benchmark::State &state)
{
    Read(state, false, true);
}
void BM_ReadMicroDvdIntoNewTrack(benchmark::State &state)
{
    Read(state, true, true);
}

// The whole load as the player does it, file system included (from the page cache), into a
// track that holds the same file already.
void BM_LoadSubRipFile(benchmark::State &state)
{
    const std::string &file = CachedFile(false, static_cast<int>(state.range(0)));
    char path[] = "/tmp/duvara-bench-XXXXXX.srt";
    const int fd = mkstemps(path, 4);
    if (fd < 0 || write(fd, file.data(), file.size()) != static_cast<ssize_t>(file.size())) {
        state.SkipWithError("cannot write the input file");
        return;
    }
    close(fd);
    SubtitleTrack track;
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadSubtitles(track, path));
    unlink(path);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(track.Subs.size()));
}

// Far beyond any film: 1.5 million entries of two long lines, some 200 MB, as a file grown by
// concatenation or a machine-made transcript may be, 200 ms apart.
std::string LargeSubRipFile()
{
    const char *const longLines[] = {"I don't think we should be here, not tonight.",
                                     "Then why did you come all this way on your own?",
                                     "Because somebody had to stop you from going in.",
                                     "Keep your voice down, they can hear every word!",
                                     "We have twenty minutes, no more than that, go."};
    constexpr int entries = 1500000;
    std::string text;
    text.reserve(static_cast<std::size_t>(entries) * 136);
    for (int i = 0; i < entries; ++i) {
        const uint32_t start = 1000 + static_cast<uint32_t>(i) * 200;
        text.append(std::to_string(i + 1)).append("\r\n");
        AppendSrtTime(text, start);
        text.append(" --> ");
        AppendSrtTime(text, start + 150);
        text.append("\r\n").append(longLines[i % 5]).append("\r\n");
        text.append(longLines[(i + 2) % 5]).append("\r\n\r\n");
    }
    return text;
}

// Opening the large file in the player: read from the page cache into a new track.
void BM_LoadLargeSubRipFile(benchmark::State &state)
{
    const std::string file = LargeSubRipFile();
    char path[] = "/tmp/duvara-bench-large-XXXXXX.srt";
    const int fd = mkstemps(path, 4);
    if (fd < 0 || write(fd, file.data(), file.size()) != static_cast<ssize_t>(file.size())) {
        if (fd >= 0) {
            close(fd);
            unlink(path);
        }
        state.SkipWithError("cannot write the input file");
        return;
    }
    close(fd);
    std::size_t entries = 0;
    for (auto _ : state) {
        SubtitleTrack track;
        if (!LoadSubtitles(track, path))
            state.SkipWithError("load failed");
        entries = track.Subs.size();
        benchmark::DoNotOptimize(track.Subs.data());
    }
    unlink(path);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(entries));
    state.counters["file_MB"] = static_cast<double>(file.size()) / 1e6;
    state.counters["entries"] = static_cast<double>(entries);
}

void Write(benchmark::State &state, bool microDvd)
{
    SubtitleTrack track;
    LoadSubtitlesFromBuffer(track, CachedFile(microDvd, static_cast<int>(state.range(0))),
                            microDvd ? "bench.sub" : "bench.srt");
    track.DurFactor = 1.0416666f;
    std::size_t written = 0;
    for (auto _ : state) {
        const std::string text = BuildSubRipText(track, TrackShift(2000, track.BaseTime));
        written = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(written));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(track.Subs.size()));
}

void BM_WriteSubRipFromSubRip(benchmark::State &state)
{
    Write(state, false);
}
void BM_WriteSubRipFromMicroDvd(benchmark::State &state)
{
    Write(state, true);
}

// The atomic save: temporary file, write, fsync, rename.
void BM_SaveSubRipFile(benchmark::State &state)
{
    SubtitleTrack track;
    LoadSubtitlesFromBuffer(track, CachedFile(false, static_cast<int>(state.range(0))),
                            "bench.srt");
    const std::string path = "/tmp/duvara-bench-save-" + std::to_string(getpid()) + ".srt";
    for (auto _ : state) {
        if (!SaveSubtitles(track, track.BaseTime, path))
            state.SkipWithError("save failed");
    }
    unlink(path.c_str());
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(track.Subs.size()));
}

SubtitleTrack PlaybackTrack()
{
    SubtitleTrack track;
    LoadSubtitlesFromBuffer(track, CachedFile(false, 65535), "bench.srt");
    ResetCorrections(track);
    track.DurFactor = 1.0416666f;
    return track;
}

// One 100 ms position tick during playback, keeping the last shown entry as the
// synchronisation does.
void BM_LookupPlaybackTick(benchmark::State &state)
{
    SubtitleTrack track = PlaybackTrack();
    const int32_t offset = LookupOffset(0, track.BaseTime);
    const int64_t end = offset + static_cast<int64_t>(track.DurFactor * track.SubDuration) + 5000;
    int64_t position = 0;
    for (auto _ : state) {
        position = position >= end ? 0 : position + 100;
        const int32_t found = FindEntryAt(track, offset, position, track.DurFactor);
        if (found > 0)
            track.LastIndex = found;
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations());
}

// The first tick after seeking a little backwards from the middle: the position lies just
// before the last shown entry, so both scans together pass over every entry once.
void BM_LookupAfterBackwardSeek(benchmark::State &state)
{
    SubtitleTrack track = PlaybackTrack();
    const int32_t offset = LookupOffset(0, track.BaseTime);
    const int32_t shown = 32768;
    const int64_t position
        = offset + static_cast<int64_t>(track.DurFactor * track.Subs[shown - 3].StartTime) + 10;
    for (auto _ : state) {
        track.LastIndex = shown;
        benchmark::DoNotOptimize(FindEntryAt(track, offset, position, track.DurFactor));
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_ReadSubRip)->Arg(1500)->Arg(20000)->Arg(65535)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadMicroDvd)->Arg(1500)->Arg(20000)->Arg(65535)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadSubRipIntoNewTrack)
    ->Arg(1500)
    ->Arg(20000)
    ->Arg(65535)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadMicroDvdIntoNewTrack)
    ->Arg(1500)
    ->Arg(20000)
    ->Arg(65535)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadSubRipFile)->Arg(65535)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLargeSubRipFile)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteSubRipFromSubRip)
    ->Arg(1500)
    ->Arg(20000)
    ->Arg(65535)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteSubRipFromMicroDvd)
    ->Arg(1500)
    ->Arg(20000)
    ->Arg(65535)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveSubRipFile)->Arg(65535)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LookupPlaybackTick);
BENCHMARK(BM_LookupAfterBackwardSeek)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
