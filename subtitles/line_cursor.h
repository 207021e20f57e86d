// Walks the lines of a text without copying them.
#pragma once

#include "subtitles/text_scan.h"

#include <cstddef>
#include <string_view>

namespace duvara {

// A line ends at CR LF, a lone CR or a lone LF; a last line without an ending still counts, and
// an ending at the very end adds no empty line. Every byte is searched once per walk, whatever
// the mix of line endings. Copying the cursor gives a look-ahead that leaves the original in
// place.
class LineCursor
{
public:
    explicit LineCursor(std::string_view text)
        : m_pos(text.data())
        , m_end(text.data() + text.size())
    { }

    bool Next(std::string_view &line)
    {
        if (m_pos == m_end)
            return false;
        const char *lineEnd = FindEitherByte(m_pos, m_end, '\r', '\n');
        line = std::string_view(m_pos, static_cast<std::size_t>(lineEnd - m_pos));
        m_pos = lineEnd;
        if (m_pos != m_end) {
            const bool crLf = *m_pos == '\r' && m_pos + 1 != m_end && m_pos[1] == '\n';
            m_pos += crLf ? 2 : 1;
        }
        return true;
    }

private:
    const char *m_pos;
    const char *m_end;
};

} // namespace duvara
