// duvara-subs: inspect, re-time and convert a subtitle track without the player.
#include "json_text.h"
#include "subs_arguments.h"

#include "media/film_speech.h"
#include "subtitles/corrections.h"
#include "subtitles/speech_fit.h"
#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_track.h"
#include "subtitles/subtitle_writer.h"
#include "subtitles/time_text.h"
#include "subtitles/track_alignment.h"

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include <unistd.h>

namespace duvara {

namespace {

enum ExitCode { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };

void Print(const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

std::string StyleLetters(uint8_t style)
{
    std::string letters;
    if (style & StyleBold)
        letters.push_back('b');
    if (style & StyleItalic)
        letters.push_back('i');
    if (style & StyleUnderline)
        letters.push_back('u');
    return letters;
}

std::string DumpJson(const SubtitleTrack &track)
{
    std::string out = "{\"base\": " + std::to_string(track.BaseTime)
        + ", \"span\": " + std::to_string(track.SubDuration) + ", \"entries\": [";
    for (std::size_t i = 0; i < track.Subs.size(); ++i) {
        const TSubT &entry = track.Subs[i];
        if (i > 0)
            out.append(", ");
        out.append("{\"start\": ").append(std::to_string(entry.StartTime));
        out.append(", \"end\": ").append(std::to_string(entry.EndTime));
        out.append(", \"style\": \"").append(StyleLetters(entry.Style));
        out.append("\", \"color\": ").append(std::to_string(entry.Color));
        out.append(", \"text\": ");
        AppendJsonString(out, entry.Text);
        out.append(", \"list\": ");
        AppendJsonString(out, track.ListText[i]);
        out.push_back('}');
    }
    out.append("]}\n");
    return out;
}

// The list of the track panel, its three columns joined by TAB.
std::string ListRows(const SubtitleTrack &track, int32_t shift)
{
    std::string out;
    for (std::size_t i = 0; i < track.Subs.size(); ++i) {
        out.append(ListEntryNumber(i + 1)).push_back('\t');
        out.append(ListRowTimes(track.Subs[i], track.DurFactor, shift)).push_back('\t');
        out.append(track.ListText[i]).push_back('\n');
    }
    return out;
}

// The synchronisation's lookup, starting from entry `last`; a number no track can hold starts
// from the first entry, as the lookup does for any start outside the track.
int32_t EntryAt(SubtitleTrack &track, int32_t offset, int64_t position, int64_t last)
{
    if (track.Subs.empty())
        return 0;
    track.LastIndex = last >= 1 && last <= INT32_MAX ? static_cast<int32_t>(last) : 0;
    return FindEntryAt(track, LookupOffset(offset, track.BaseTime), position, track.DurFactor);
}

// Reads `path` into `track`; false after saying why. With two files at stake the message names
// the one that failed.
bool LoadTrack(SubtitleTrack &track, const std::string &path, bool nameFile)
{
    const char *problem = "";
    switch (ReadSubtitleFile(track, path)) {
    case LoadResult::Loaded:
        return true;
    case LoadResult::Unreadable:
        problem = "File load error or unsupported file format\n";
        break;
    case LoadResult::TooLarge:
        problem = "File too large: its entries do not fit in memory\n";
        break;
    }
    std::fputs(((nameFile ? path + ": " : std::string()) + problem).c_str(), stderr);
    return false;
}

std::string Seconds(int64_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", double(ms) / 1000);
    return text;
}

std::string NoFitReason(const TrackAlignment &fit, const SubtitleTrack &track,
                        const SubsArguments &args)
{
    switch (fit.failure) {
    case AlignmentFailure::EmptyTrack:
        return args.file + " has no entries";
    case AlignmentFailure::EmptyReference:
        return args.film.empty() ? args.reference + " has no entries"
                                 : "no speech was heard in " + args.film;
    case AlignmentFailure::OffsetOutOfReach:
        return "lining them up needs an offset of " + Seconds(fit.offsetMs) + ", beyond the "
            + Seconds(MaxUserOffset) + " either way the offset reaches";
    case AlignmentFailure::SpanOutOfReach:
        return "lining them up needs a span of " + std::to_string(fit.spanMs) + " ms, beyond the "
            + std::to_string(SpanSlack / 60000) + " minutes either way of the track's own "
            + std::to_string(track.SubDuration) + " ms that the duration reaches";
    case AlignmentFailure::NothingInCommon:
    case AlignmentFailure::None:
        break;
    }
    return std::string(args.film.empty() ? "their timing has" : "the track and the speech have")
        + " too little in common (at best "
        + std::to_string(static_cast<int>(fit.matchedFraction * 100))
        + " % of the entries line up)";
}

// The speech in --to-audio's film; false after saying why there is none to align to.
bool FindSpeech(const SubsArguments &args, std::vector<SpeechSpan> &speech)
{
    SilenceFfmpegMessages();
    FilmSpeechOptions options;
    // A pipe or a log gets the answer alone; a person watching gets to see it is working.
    const bool showProgress = ::isatty(STDERR_FILENO) == 1;
    if (showProgress) {
        options.progress = [](double share) {
            std::fprintf(stderr, "\rListening to the film: %3d %%", static_cast<int>(share * 100));
        };
    }
    const FilmSpeech found = FindFilmSpeech(args.film, options);
    if (showProgress)
        std::fputs("\n", stderr);
    if (found.status != FilmSpeechStatus::Found) {
        std::fputs((found.error + "\n").c_str(), stderr);
        return false;
    }
    for (const SpeechInterval &interval : found.intervals)
        speech.push_back({interval.startMs, interval.endMs});
    return true;
}

// Prints the offset and span that line the track up with --to's track or --to-audio's speech,
// and saves the track so corrected with --save.
int Align(SubtitleTrack &track, const SubsArguments &args)
{
    TrackAlignment fit;
    if (args.film.empty()) {
        SubtitleTrack reference;
        if (!LoadTrack(reference, args.reference, true))
            return ExitFailure;
        fit = AlignTracks(track, reference);
    } else {
        std::vector<SpeechSpan> speech;
        if (!FindSpeech(args, speech))
            return ExitFailure;
        fit = AlignTrackToSpeech(track, speech);
    }
    if (!fit.found) {
        const std::string other = args.film.empty() ? args.reference : args.film;
        const std::string message = "No fit between " + args.file + " and " + other + ": "
            + NoFitReason(fit, track, args) + "\n";
        std::fputs(message.c_str(), stderr);
        return ExitFailure;
    }
    if (!args.out.empty()) {
        track.DurFactor = DurationFactor(fit.spanMs, track.SubDuration);
        const int32_t shift = TrackShift(ClampUserOffset(fit.offsetMs), track.BaseTime);
        if (!SaveSubtitles(track, shift, args.out)) {
            std::fputs("File save error\n", stderr);
            return ExitFailure;
        }
    }
    Print("offset " + std::to_string(fit.offsetMs) + " span " + std::to_string(fit.spanMs) + "\n");
    return std::fflush(stdout) == 0 ? ExitOk : ExitFailure;
}

int Run(const SubsArguments &args)
{
    SubtitleTrack track;
    if (!LoadTrack(track, args.file, args.command == SubsCommand::Align))
        return ExitFailure;
    // The panel's set-up after an open, then the editors' values.
    ResetCorrections(track);
    if (args.command == SubsCommand::Align)
        return Align(track, args);
    const int32_t offset = ClampUserOffset(args.offset.value_or(0));
    if (args.span)
        track.DurFactor
            = DurationFactor(ClampTargetSpan(*args.span, track.SubDuration), track.SubDuration);
    const int32_t shift = TrackShift(offset, track.BaseTime);

    switch (args.command) {
    case SubsCommand::Dump:
        Print(DumpJson(track));
        break;
    case SubsCommand::List:
        Print(ListRows(track, shift));
        break;
    case SubsCommand::At:
        Print(std::to_string(EntryAt(track, offset, args.position, args.last.value_or(1))) + "\n");
        break;
    case SubsCommand::Save:
        if (!SaveSubtitles(track, shift, args.out)) {
            std::fputs("File save error\n", stderr);
            return ExitFailure;
        }
        break;
    case SubsCommand::Align:
        break;
    }
    return std::fflush(stdout) == 0 ? ExitOk : ExitFailure;
}

} // namespace

} // namespace duvara

int main(int argc, char **argv)
{
    const std::vector<std::string_view> args(argc > 0 ? argv + 1 : argv, argv + argc);
    // Asked for, the usage is the answer: on standard output, and a success.
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(duvara::SubsUsage, stdout);
        return duvara::ExitOk;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::printf("duvara-subs %s\n", DUVARA_VERSION);
        return duvara::ExitOk;
    }
    const auto parsed = duvara::ParseSubsArguments(args);
    if (!parsed) {
        std::fputs(duvara::SubsUsage, stderr);
        return duvara::ExitUsage;
    }
    // A track that fits in memory can still be too large to print or convert: say so rather
    // than abort.
    try {
        return duvara::Run(*parsed);
    } catch (const std::bad_alloc &) {
        std::fputs("duvara-subs: not enough memory for this file\n", stderr);
        return duvara::ExitFailure;
    }
}
