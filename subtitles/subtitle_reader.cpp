#include "subtitles/subtitle_reader.h"

#include "subtitles/file_io.h"
#include "subtitles/line_cursor.h"
#include "subtitles/subtitle_markup.h"
#include "subtitles/subtitle_track.h"
#include "subtitles/text_decoding.h"
#include "subtitles/text_scan.h"
#include "subtitles/time_text.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace duvara {

namespace {

constexpr uint32_t DefaultFrameRate = 25000; // thousandths of a frame per second

// Frame numbers are multiplied by 1000 in 64 bits. At this magnitude FramesToMs saturates for
// every rate a rate line can give, so clamping a longer number here changes no time.
constexpr int64_t FrameLimit = std::numeric_limits<int64_t>::max() / 1000;

std::string_view BaseName(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool Contains(std::string_view text, char byte)
{
    return !text.empty() && std::memchr(text.data(), byte, text.size()) != nullptr;
}

// A file with more entries than a track can number; the load fails rather than drop any.
struct TrackTooLarge
{
};

// Strings up to this capacity keep their bytes inside themselves.
const std::size_t InsideCapacity = std::string().capacity();

// The heap bytes of a string, with the terminating NUL and the allocator's own.
std::size_t HeapBytes(const std::string &text)
{
    const std::size_t capacity = text.capacity();
    return capacity > InsideCapacity ? capacity + 1 + 16 : 0;
}

// Storage of `count` entries, TSubT and list text; the largest size_t when beyond it.
std::size_t EntryStorageBytes(std::size_t count)
{
    constexpr std::size_t entryBytes = sizeof(TSubT) + sizeof(std::string);
    return count > std::numeric_limits<std::size_t>::max() / entryBytes
        ? std::numeric_limits<std::size_t>::max()
        : count * entryBytes;
}

// Appends entries and sets their times relative to the first entry's start. Entries a track
// already holds are overwritten in place, so loading into a loaded track reuses their storage
// instead of freeing and allocating some hundred thousand strings; Finish drops the rest.
// What the new entries take is charged to the budget, so that a file whose entries would not fit
// in memory fails with std::bad_alloc before the system runs out.
class TrackBuilder
{
public:
    TrackBuilder(SubtitleTrack &track, std::size_t expectedEntries, MemoryBudget &budget)
        : m_track(track)
        , m_budget(budget)
    {
        m_track.BaseTime = 0;
        m_track.LastIndex = 1;
        // A guess from the file's size: too small only costs a reallocation later, so a guess
        // beyond the budget is simply not reserved.
        const std::size_t reserved = std::min(expectedEntries, MaxSubtitleEntries);
        if (reserved > Capacity() && m_budget.TryTake(EntryStorageBytes(reserved))) {
            Reserve(reserved);
            m_storageBytes = EntryStorageBytes(reserved);
        }
    }

    TSubT &Add()
    {
        ChargeLastText();
        if (m_count < m_track.Subs.size()) {
            TSubT &entry = m_track.Subs[m_count];
            entry.Text.clear();
            entry.Style = 0;
            entry.Color = -1;
            entry.StartTime = 0;
            entry.EndTime = 0;
            m_track.ListText[m_count++].clear();
            return entry;
        }
        if (m_count == Capacity())
            Grow();
        m_track.ListText.emplace_back();
        ++m_count;
        return m_track.Subs.emplace_back();
    }

    std::string &ListText() { return m_track.ListText[m_count - 1]; }

    void SetStart(int32_t absolute)
    {
        if (m_count == 1)
            m_track.BaseTime = absolute;
        m_track.Subs[m_count - 1].StartTime = Relative(absolute);
    }

    void SetEnd(int32_t absolute) { m_track.Subs[m_count - 1].EndTime = Relative(absolute); }

    void Finish()
    {
        ChargeLastText();
        m_track.Subs.erase(m_track.Subs.begin() + static_cast<std::ptrdiff_t>(m_count),
                           m_track.Subs.end());
        m_track.ListText.erase(m_track.ListText.begin() + static_cast<std::ptrdiff_t>(m_count),
                               m_track.ListText.end());
    }

private:
    std::size_t Capacity() const
    {
        return std::min(m_track.Subs.capacity(), m_track.ListText.capacity());
    }

    void Reserve(std::size_t count)
    {
        m_track.Subs.reserve(count);
        m_track.ListText.reserve(count);
    }

    // The text of an entry is known once the reader moves on from it.
    void ChargeLastText()
    {
        if (m_count > 0)
            m_budget.Take(HeapBytes(m_track.Subs[m_count - 1].Text)
                          + HeapBytes(m_track.ListText[m_count - 1]));
    }

    // Doubles the storage. While the entries move, the old storage and the new are both held.
    void Grow()
    {
        if (m_count == MaxSubtitleEntries)
            throw TrackTooLarge();
        const std::size_t wanted
            = std::min(MaxSubtitleEntries, std::max<std::size_t>(m_count * 2, 1024));
        m_budget.Take(EntryStorageBytes(wanted));
        Reserve(wanted);
        m_budget.Give(m_storageBytes);
        m_storageBytes = EntryStorageBytes(wanted);
    }

    // Entries that start before the first one wrap below zero; RelativeMs reads them back.
    uint32_t Relative(int32_t absolute) const
    {
        return static_cast<uint32_t>(int64_t {absolute} - m_track.BaseTime);
    }

    SubtitleTrack &m_track;
    MemoryBudget &m_budget;
    std::size_t m_count = 0;
    std::size_t m_storageBytes = 0; // the entry storage charged to the budget
};

// ---- SubRip ----

bool IsTimeLine(std::string_view line)
{
    return FindTimeArrow(line) != std::string_view::npos;
}

// A line of digits is the next entry's number only when a time line follows it at once;
// anywhere else ("1984", a year alone on a line) it is text.
bool IsFollowedByTimeLine(LineCursor lines)
{
    std::string_view next;
    return lines.Next(next) && IsTimeLine(next);
}

// An entry's text is gathered in buffers that keep their capacity from entry to entry, and
// each string of the entry is then allocated once, at its final size: on large files the
// allocator, not the parsing, is what costs. Most entries are a single line that needs no
// change; its bytes go straight from the file into both strings.
class EntryText
{
public:
    // A `lasting` line stays where it is until MoveTo, so it need not be copied yet.
    void Append(std::string_view line, bool lasting)
    {
        if (m_lines == 0 && lasting) {
            m_first = line;
            m_firstPending = true;
            m_lines = 1;
            return;
        }
        if (m_firstPending) {
            AppendToBuffers(m_first);
            m_firstPending = false;
        }
        AppendToBuffers(line);
        ++m_lines;
    }

    void MoveTo(TSubT &entry, std::string &listText)
    {
        if (m_firstPending) {
            entry.Text.assign(m_first);
            listText.assign(m_first);
        } else {
            entry.Text.assign(m_text);
            listText.assign(m_list);
        }
        m_text.clear();
        m_list.clear();
        m_firstPending = false;
        m_lines = 0;
    }

private:
    void AppendToBuffers(std::string_view line)
    {
        if (!m_list.empty())
            m_list.push_back(ListLineBreak);
        m_list.append(line);
        if (!m_text.empty())
            m_text.append(EntryLineBreak);
        m_text.append(line);
    }

    std::string m_text;
    std::string m_list;
    std::string_view m_first;
    bool m_firstPending = false;
    std::size_t m_lines = 0;
};

class SubRipReader
{
public:
    SubRipReader(TrackBuilder &builder, std::string_view text)
        : m_builder(builder)
        , m_lines(text)
    { }

    void Run()
    {
        std::string_view line;
        bool more = m_lines.Next(line);
        while (more) {
            const std::size_t arrow = FindTimeArrow(line);
            if (arrow == std::string_view::npos) {
                more = m_lines.Next(line); // numbers, blanks and stray text between entries
                continue;
            }
            TSubT &entry = m_builder.Add();
            m_builder.SetStart(ParseSrtTime(line.substr(0, arrow)));
            m_builder.SetEnd(ParseSrtTime(line.substr(arrow + 3, 50)));
            more = ReadText(entry, m_builder.ListText(), line);
        }
    }

private:
    // Collects the text lines after a time line. Leaves `line` at the line the walk goes on
    // with; false at the end of the text.
    bool ReadText(TSubT &entry, std::string &listText, std::string_view &line)
    {
        bool more = false;
        while ((more = m_lines.Next(line))) {
            if (IsTimeLine(line))
                break;
            const std::string_view trimmed = TrimBlanks(line);
            if (trimmed.empty() || (IsDigitLine(trimmed) && IsFollowedByTimeLine(m_lines))) {
                more = m_lines.Next(line);
                break;
            }
            if (ContainsEither(trimmed, '<', '{')) {
                m_scratch.assign(trimmed);
                StripSrtTags(m_scratch, entry);
                m_text.Append(m_scratch, false);
            } else {
                m_text.Append(trimmed, true);
            }
        }
        m_text.MoveTo(entry, listText);
        return more;
    }

    TrackBuilder &m_builder;
    LineCursor m_lines;
    std::string m_scratch;
    EntryText m_text;
};

// ---- MicroDVD ----

// "{start}{end}" at the start of a line, as a MicroDVD entry or rate line begins.
bool BeginsWithFrames(std::string_view line)
{
    for (int group = 0; group < 2; ++group) {
        if (line.empty() || line.front() != '{')
            return false;
        line.remove_prefix(1);
        const std::size_t digits = line.find_first_not_of("0123456789");
        if (digits == 0 || digits == std::string_view::npos || line[digits] != '}')
            return false;
        line.remove_prefix(digits + 1);
    }
    return true;
}

// "{…}{" at the start of a line: the shape of a MicroDVD entry, whether or not its frames read.
bool HasEntryShape(std::string_view line)
{
    const std::size_t close = line.find('}');
    return !line.empty() && line.front() == '{' && close != std::string_view::npos
        && close + 1 < line.size() && line[close + 1] == '{';
}

// A text none of whose lines has the shape of an entry is no MicroDVD file (a note, a list):
// read as one, each of its lines would be an entry without a time or any text.
bool HasEntryLine(std::string_view text)
{
    LineCursor lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        if (HasEntryShape(TrimBlanks(line)))
            return true;
    }
    return false;
}

bool IsRateLine(std::string_view line)
{
    const std::string_view head = line.substr(0, 6);
    return head == "{0}{0}" || head == "{1}{1}";
}

// "{1}{1}23.976" holds the rate as digits with the point removed: 23976 thousandths. A rate
// written without a point and no greater than 1000 ("{1}{1}25") is whole frames a second: read
// as thousandths it would stretch the track a thousandfold, and no film runs at one frame a
// second or less. Text that does not read either way leaves the rate as it was.
void ReadRate(std::string_view line, uint32_t &rate)
{
    const std::string_view field = line.substr(6, 10);
    char digits[10];
    std::size_t count = 0;
    bool pointSeen = false;
    for (char c : field) {
        if (c == '.' && !pointSeen) {
            pointSeen = true;
            continue;
        }
        digits[count++] = c;
    }
    uint32_t value = 0;
    if (!ParseUInt32(std::string_view(digits, count), value))
        return;
    constexpr uint32_t kWholeFramesLimit = 1000;
    rate = !pointSeen && value <= kWholeFramesLimit ? value * 1000 : value;
}

class MicroDvdReader
{
public:
    MicroDvdReader(TrackBuilder &builder, std::string_view text)
        : m_builder(builder)
        , m_lines(text)
    { }

    // Leaves the rate the entries were read at in `frameRate`: 0 when they were read at several.
    void Run(uint32_t &frameRate)
    {
        frameRate = 0;
        bool mixed = false;
        uint32_t rate = 0;
        std::string_view line;
        while (m_lines.Next(line)) {
            const std::string_view trimmed = TrimBlanks(line);
            if (trimmed.empty())
                continue;
            if (IsRateLine(trimmed)) {
                ReadRate(trimmed, rate);
                continue;
            }
            if (rate == 0)
                rate = DefaultFrameRate;
            mixed = mixed || (frameRate != 0 && frameRate != rate);
            frameRate = mixed ? 0 : rate;
            // Every other line is an entry, even when its frames cannot be read.
            ReadEntry(m_builder.Add(), trimmed, rate);
        }
    }

private:
    // "{start}{end}text": the first brace group, one byte (normally the second "{"), then
    // everything up to the next "}". The times are set as far as they could be read.
    void ReadEntry(TSubT &entry, std::string_view line, uint32_t rate)
    {
        std::size_t close = line.find('}');
        int64_t startFrame = 0;
        if (close == std::string_view::npos || close == 0
            || !ParseClampedInt64(line.substr(1, close - 1), FrameLimit, startFrame))
            return;
        m_builder.SetStart(FramesToMs(rate, startFrame * 1000));

        std::string_view rest = line.substr(std::min(close + 2, line.size()));
        close = rest.find('}');
        int64_t endFrame = 0;
        if (close == std::string_view::npos
            || !ParseClampedInt64(rest.substr(0, close), FrameLimit, endFrame))
            return;
        m_builder.SetEnd(FramesToMs(rate, endFrame * 1000));
        rest.remove_prefix(close + 1);

        m_scratch.assign(rest);
        if (Contains(rest, '{'))
            ParseBraceTags(m_scratch, entry);
        if (m_scratch.empty())
            return;
        m_builder.ListText().assign(m_scratch);
        const std::string_view list = m_scratch;
        std::string &text = entry.Text;
        text.reserve(
            list.size()
            + static_cast<std::size_t>(std::count(list.begin(), list.end(), ListLineBreak)));
        std::size_t from = 0;
        for (std::size_t bar = list.find(ListLineBreak); bar != std::string_view::npos;
             bar = list.find(ListLineBreak, from)) {
            text.append(list.substr(from, bar - from)).append(EntryLineBreak);
            from = bar + 1;
        }
        text.append(list.substr(from));
    }

    TrackBuilder &m_builder;
    LineCursor m_lines;
    std::string m_scratch;
};

void ReadText(SubtitleTrack &track, std::string_view text, SubtitleGrammar grammar,
              MemoryBudget &budget)
{
    track.FrameRate = 0;
    // Some 80 bytes make a SubRip entry and 60 a MicroDVD one; a little too much is harmless.
    if (grammar == SubtitleGrammar::MicroDvd) {
        const bool entries = HasEntryLine(text);
        TrackBuilder builder(track, entries ? text.size() / 40 + 1 : 0, budget);
        if (entries)
            MicroDvdReader(builder, text).Run(track.FrameRate);
        builder.Finish();
    } else {
        TrackBuilder builder(track, text.size() / 48 + 1, budget);
        SubRipReader(builder, text).Run();
        builder.Finish();
    }
}

// A failed load leaves the track empty and gives back its storage, which after a file too large
// for memory is most of what the process holds.
void Abandon(SubtitleTrack &track)
{
    track.Clear();
    std::vector<TSubT>().swap(track.Subs);
    std::vector<std::string>().swap(track.ListText);
}

LoadResult ReadBuffer(SubtitleTrack &track, std::string_view bytes, std::string_view fileName,
                      MemoryBudget &budget)
{
    try {
        std::string converted;
        const std::string_view text = SubtitleText(bytes, converted);
        budget.Take(HeapBytes(converted));
        if (text.empty()) {
            track.Clear();
            return LoadResult::Unreadable; // not a single line
        }
        ReadText(track, text, GrammarForText(text, fileName), budget);
        track.SubFileName = BaseName(fileName);
        return LoadResult::Loaded;
    } catch (const std::bad_alloc &) {
        Abandon(track);
        return LoadResult::TooLarge;
    } catch (const TrackTooLarge &) {
        Abandon(track);
        return LoadResult::TooLarge;
    }
}

MemoryBudget BudgetOf(std::optional<std::size_t> memoryLimit)
{
    return memoryLimit ? MemoryBudget(*memoryLimit) : MemoryBudget();
}

} // namespace

SubtitleGrammar GrammarForFileName(std::string_view fileName)
{
    const std::string_view name = BaseName(fileName);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return SubtitleGrammar::SubRip;
    std::string extension(name.substr(dot, 4));
    for (char &c : extension) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return extension == ".SUB" || extension == ".TXT" ? SubtitleGrammar::MicroDvd
                                                      : SubtitleGrammar::SubRip;
}

SubtitleGrammar GrammarForText(std::string_view text, std::string_view fileName)
{
    // The first lines of a subtitle file show its kind; a file that does not show it soon is
    // read by its name.
    constexpr std::size_t kLooked = 64 * 1024;
    constexpr int kLinesLooked = 50;
    LineCursor lines(text.substr(0, kLooked));
    std::string_view line;
    for (int looked = 0; looked < kLinesLooked && lines.Next(line);) {
        const std::string_view trimmed = TrimBlanks(line);
        if (trimmed.empty())
            continue;
        ++looked;
        if (BeginsWithFrames(trimmed))
            return SubtitleGrammar::MicroDvd;
        if (IsTimeLine(line))
            return SubtitleGrammar::SubRip;
    }
    return GrammarForFileName(fileName);
}

LoadResult ReadSubtitleBuffer(SubtitleTrack &track, std::string_view bytes,
                              std::string_view fileName, std::optional<std::size_t> memoryLimit)
{
    MemoryBudget budget = BudgetOf(memoryLimit);
    return ReadBuffer(track, bytes, fileName, budget);
}

LoadResult ReadSubtitleFile(SubtitleTrack &track, const std::string &path,
                            std::optional<std::size_t> memoryLimit)
{
    MemoryBudget budget = BudgetOf(memoryLimit);
    FileBytes bytes;
    try {
        if (!bytes.Read(path, budget)) {
            track.Clear();
            return LoadResult::Unreadable;
        }
    } catch (const std::bad_alloc &) {
        Abandon(track);
        return LoadResult::TooLarge;
    }
    return ReadBuffer(track, bytes.View(), path, budget);
}

bool LoadSubtitlesFromBuffer(SubtitleTrack &track, std::string_view bytes,
                             std::string_view fileName)
{
    return ReadSubtitleBuffer(track, bytes, fileName) == LoadResult::Loaded;
}

bool LoadSubtitles(SubtitleTrack &track, const std::string &path)
{
    return ReadSubtitleFile(track, path) == LoadResult::Loaded;
}

} // namespace duvara
