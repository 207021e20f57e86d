// duvara-subs: inspect, re-time and convert a subtitle track without the player.
#include "json_text.h"
#include "subs_arguments.h"
#include "track_files.h"

#include "media/film_speech.h"
#include "subtitles/corrections.h"
#include "subtitles/speech_fit.h"
#include "subtitles/subtitle_track.h"
#include "subtitles/time_text.h"
#include "subtitles/track_alignment.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include <unistd.h>

namespace duvara {

namespace {

// Every message the program gives: one line on standard error, after its name.
void Complain(const std::string &message)
{
    std::fputs(("duvara-subs: " + message + "\n").c_str(), stderr);
}

// The errno of the first write to standard output that failed, 0 while none has.
int outputError = 0;

void Print(const std::string &text)
{
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() && outputError == 0)
        outputError = errno;
}

// The answer is only given once it is all out: a full disk or a closed pipe is a failure.
int FinishOutput()
{
    if (std::fflush(stdout) != 0 && outputError == 0)
        outputError = errno;
    if (outputError == 0 && !std::ferror(stdout))
        return SubsExitOk;
    Complain(std::string("cannot write to standard output: ")
             + std::strerror(outputError != 0 ? outputError : EIO));
    return SubsExitFailure;
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

bool LoadTrack(SubtitleTrack &track, const std::string &path)
{
    const std::string problem = ReadTrack(track, path);
    if (!problem.empty())
        Complain(problem);
    return problem.empty();
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
        // Most reasons begin with the film's name already.
        const bool named = found.error.compare(0, args.film.size() + 1, args.film + ":") == 0;
        Complain(named ? found.error : args.film + ": " + found.error);
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
        if (!LoadTrack(reference, args.reference))
            return SubsExitFailure;
        fit = AlignTracks(track, reference);
    } else {
        std::vector<SpeechSpan> speech;
        if (!FindSpeech(args, speech))
            return SubsExitFailure;
        fit = AlignTrackToSpeech(track, speech);
    }
    if (!fit.found) {
        const std::string other = args.film.empty() ? args.reference : args.film;
        Complain("no fit between " + args.file + " and " + other + ": "
                 + NoFitReason(fit, track, args));
        return SubsExitFailure;
    }
    if (!args.out.empty()) {
        track.DurFactor = DurationFactor(fit.spanMs, track.SubDuration);
        const int32_t shift = TrackShift(ClampUserOffset(fit.offsetMs), track.BaseTime);
        if (const std::string problem = SaveTrack(track, shift, args.out); !problem.empty()) {
            Complain(problem);
            return SubsExitFailure;
        }
    }
    Print("offset " + std::to_string(fit.offsetMs) + " span " + std::to_string(fit.spanMs) + "\n");
    return FinishOutput();
}

int Run(const SubsArguments &args)
{
    SubtitleTrack track;
    if (!LoadTrack(track, args.file))
        return SubsExitFailure;
    // The panel's set-up after an open, then the editors' values.
    ResetCorrections(track);
    if (args.command == SubsCommand::Align)
        return Align(track, args);
    const int32_t offset = ClampUserOffset(args.offset.value_or(0));
    if (args.span) {
        if (const std::string problem = SpanProblem(*args.span, track.SubDuration, args.file);
            !problem.empty()) {
            Complain(problem);
            return SubsExitUsage;
        }
        track.DurFactor = DurationFactor(*args.span, track.SubDuration);
    }
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
        if (const std::string problem = SaveTrack(track, shift, args.out); !problem.empty()) {
            Complain(problem);
            return SubsExitFailure;
        }
        break;
    case SubsCommand::Align:
        break;
    }
    return FinishOutput();
}

} // namespace

} // namespace duvara

int main(int argc, char **argv)
{
    using duvara::SubsCommandLine;
    const std::vector<std::string_view> args(argc > 0 ? argv + 1 : argv, argv + argc);
    const SubsCommandLine line = duvara::ParseSubsArguments(args);
    switch (line.action) {
    case SubsCommandLine::Action::Help:
        std::fputs(duvara::SubsUsage, stdout);
        std::fputs(duvara::SubsHelpDetails, stdout);
        return duvara::FinishOutput();
    case SubsCommandLine::Action::Version:
        std::printf("duvara-subs %s\n", DUVARA_VERSION);
        return duvara::FinishOutput();
    case SubsCommandLine::Action::WrongShape:
        duvara::Complain(line.error);
        std::fputs(duvara::SubsUsage, stderr);
        return duvara::SubsExitUsage;
    case SubsCommandLine::Action::BadValue:
        duvara::Complain(line.error);
        return duvara::SubsExitUsage;
    case SubsCommandLine::Action::Run:
        break;
    }
    // A track that fits in memory can still be too large to print or convert: say so rather
    // than abort.
    try {
        return duvara::Run(line.arguments);
    } catch (const std::bad_alloc &) {
        duvara::Complain(line.arguments.file + ": not enough memory to finish");
        return duvara::SubsExitFailure;
    }
}
