// Walks the lines of a text without copying them.
#pragma once

#include <cstring>
#include <string_view>

namespace duvara {

// A line ends at CR LF, a lone CR or a lone LF; a last line without an ending still counts, and
// an ending at the very end adds no empty line. The next CR and the next LF are each found with
// memchr and remembered until the walk passes them, so a file of any line-end style is walked
// in one fast pass. Copying the cursor gives a look-ahead that leaves the original in place.
class LineCursor
{
public:
    explicit LineCursor(std::string_view text)
        : m_text(text)
        , m_nextCr(Find('\r'))
        , m_nextLf(Find('\n'))
    { }

    bool Next(std::string_view &line)
    {
        if (m_pos == m_text.size())
            return false;
        // A remembered position at or after the start of this line is still the first one.
        if (m_nextCr < m_pos)
            m_nextCr = Find('\r');
        if (m_nextLf < m_pos)
            m_nextLf = Find('\n');
        const std::size_t lineEnd = m_nextCr < m_nextLf ? m_nextCr : m_nextLf;
        line = m_text.substr(m_pos, lineEnd - m_pos);
        if (lineEnd == m_text.size())
            m_pos = lineEnd;
        else if (m_text[lineEnd] == '\r' && lineEnd + 1 < m_text.size()
                 && m_text[lineEnd + 1] == '\n')
            m_pos = lineEnd + 2;
        else
            m_pos = lineEnd + 1;
        return true;
    }

private:
    std::size_t Find(char byte) const
    {
        if (m_pos == m_text.size())
            return m_pos;
        const void *found = std::memchr(m_text.data() + m_pos, byte, m_text.size() - m_pos);
        return found ? static_cast<std::size_t>(static_cast<const char *>(found) - m_text.data())
                     : m_text.size();
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_nextCr; // first CR at or after the position it was searched from, or the end
    std::size_t m_nextLf;
};

} // namespace duvara
