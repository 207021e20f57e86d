#include "subtitles/subtitle_writer.h"

#include "subtitles/corrections.h"
#include "subtitles/file_io.h"
#include "subtitles/subtitle_track.h"
#include "subtitles/time_text.h"

#include <cerrno>
#include <new>
#include <string_view>

namespace duvara {

namespace {

constexpr std::string_view LineEnd = "\r\n";

void AppendStyleTags(std::string &out, uint8_t style, bool closing)
{
    // Closing tags follow the opening order (</b></i>); readers take them in any order.
    if (style & StyleBold)
        out.append(closing ? "</b>" : "<b>");
    if (style & StyleItalic)
        out.append(closing ? "</i>" : "<i>");
    if (style & StyleUnderline)
        out.append(closing ? "</u>" : "<u>");
}

// The entry's lines are joined by LF CR; each becomes a line of its own.
void AppendEntryText(std::string &out, const std::string &text)
{
    const std::string_view breakPair = EntryLineBreak;
    std::size_t from = 0;
    for (std::size_t at = text.find(breakPair); at != std::string::npos;
         at = text.find(breakPair, from)) {
        out.append(text, from, at - from);
        out.append(LineEnd);
        from = at + breakPair.size();
    }
    out.append(text, from, std::string::npos);
}

} // namespace

std::string BuildSubRipText(const SubtitleTrack &track, int32_t shift)
{
    std::string out;
    std::size_t expected = 0;
    for (const TSubT &entry : track.Subs)
        expected += entry.Text.size() + 64;
    out.reserve(expected);

    std::size_t number = 0;
    for (const TSubT &entry : track.Subs) {
        out.append(std::to_string(++number)).append(LineEnd);
        AppendSrtTime(out, ShownTime(entry.StartTime, track.DurFactor, shift));
        out.append(" --> ");
        AppendSrtTime(out, ShownTime(entry.EndTime, track.DurFactor, shift));
        out.append(LineEnd);
        AppendStyleTags(out, entry.Style, false);
        AppendEntryText(out, entry.Text);
        AppendStyleTags(out, entry.Style, true);
        out.append(LineEnd).append(LineEnd);
    }
    return out;
}

bool SaveSubtitles(const SubtitleTrack &track, int32_t shift, const std::string &path, int *error)
{
    try {
        return WriteFileAtomically(path, BuildSubRipText(track, shift), error);
    } catch (const std::bad_alloc &) {
        if (error)
            *error = ENOMEM;
        return false;
    }
}

} // namespace duvara
