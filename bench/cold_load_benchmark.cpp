// One cold load: a 65,535-entry SubRip file read into a brand-new track, in a process that has
// done nothing else, so the heap, the page tables and the caches are as a freshly started player
// finds them. scripts/bench-cold-load.sh runs it many times and reports the median.
//   duvara-cold-load --write PATH   writes the file the reading benchmarks read
//   duvara-cold-load PATH           loads it once and prints the milliseconds it took, wall clock
//                                   and CPU, and the page faults it met
#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_track.h"

#include "subtitle_files.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

#include <sys/resource.h>

namespace {

double CpuMs()
{
    timespec now = {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--write") == 0) {
        const std::string text = duvara::bench::SubRipFile(65535);
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (!out.flush()) {
            std::fprintf(stderr, "cannot write %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s [--write] PATH\n", argv[0]);
        return 2;
    }
    rusage before = {};
    getrusage(RUSAGE_SELF, &before);
    const double cpuStart = CpuMs();
    const auto start = std::chrono::steady_clock::now();
    auto *track = new duvara::SubtitleTrack; // never freed: a player keeps its track
    const duvara::LoadResult result = duvara::ReadSubtitleFile(*track, argv[1]);
    const auto end = std::chrono::steady_clock::now();
    const double cpuEnd = CpuMs();
    rusage after = {};
    getrusage(RUSAGE_SELF, &after);
    if (result != duvara::LoadResult::Loaded || track->Subs.size() != 65535) {
        std::fprintf(stderr, "%s: not loaded as 65535 entries\n", argv[1]);
        return 1;
    }
    std::printf("%.3f %.3f %ld\n", std::chrono::duration<double, std::milli>(end - start).count(),
                cpuEnd - cpuStart, after.ru_minflt - before.ru_minflt);
    return 0;
}
