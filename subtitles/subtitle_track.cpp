#include "subtitles/subtitle_track.h"

namespace duvara {

void SubtitleTrack::Clear()
{
    Subs.clear();
    ListText.clear();
    LastIndex = 1;
    BaseTime = 0;
    FrameRate = 0;
}

int32_t TrackSpan(const SubtitleTrack &track)
{
    return track.Subs.empty() ? 0 : RelativeMs(track.Subs.back().EndTime);
}

void ResetCorrections(SubtitleTrack &track)
{
    track.SubDuration = TrackSpan(track);
    track.DurFactor = 1.0f;
    track.LastIndex = 1;
}

namespace {

class EntryScan
{
public:
    EntryScan(const SubtitleTrack &track, int32_t offset, int64_t position, float factor)
        : m_subs(track.Subs.data())
        , m_count(track.Subs.size())
        , m_offset(offset)
        , m_factor(factor)
        , m_position(static_cast<double>(position))
    { }

    // Tests entries [first, last) in order; the first entry the position is inside of, or just
    // after (and before the next one's start), decides.
    int32_t Run(std::size_t first, std::size_t last) const
    {
        double start = Corrected(m_subs[first].StartTime);
        for (std::size_t i = first; i < last; ++i) {
            const double end = Corrected(m_subs[i].EndTime);
            if (m_position >= start && m_position <= end)
                return static_cast<int32_t>(i + 1);
            if (i + 1 == m_count)
                break; // after the last entry: decided only once no entry holds the position
            const double next = Corrected(m_subs[i + 1].StartTime);
            if (m_position > end && m_position < next)
                return -static_cast<int32_t>(i + 1);
            start = next;
        }
        return 0;
    }

    bool AfterLastEntry() const { return m_position > Corrected(m_subs[m_count - 1].EndTime); }

private:
    // Compared unrounded, in double precision, so the display never flickers at a boundary
    // because of rounding.
    double Corrected(uint32_t stored) const
    {
        return m_offset + m_factor * static_cast<double>(RelativeMs(stored));
    }

    const TSubT *m_subs;
    std::size_t m_count;
    double m_offset;
    double m_factor;
    double m_position;
};

} // namespace

int32_t FindEntryAt(const SubtitleTrack &track, int32_t offset, int64_t position, float factor)
{
    const std::size_t count = track.Subs.size();
    if (count == 0)
        return 0;
    const EntryScan scan(track, offset, position, factor);

    std::size_t last = 1;
    if (track.LastIndex >= 1 && static_cast<std::size_t>(track.LastIndex) <= count)
        last = static_cast<std::size_t>(track.LastIndex);
    if (const int32_t found = scan.Run(last - 1, count))
        return found;
    if (last >= 2) {
        if (const int32_t found = scan.Run(0, last - 1))
            return found;
    }
    // Past the end the list keeps the last entry selected, as between any two entries.
    return scan.AfterLastEntry() ? -static_cast<int32_t>(count) : 0;
}

} // namespace duvara
