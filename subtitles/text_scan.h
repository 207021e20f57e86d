// Byte-level scanning helpers shared by the time parser, the markup filters and the readers.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace duvara {

// The first `a` or `b` in [from, end), or `end`. Subtitle lines are a few dozen bytes, where a
// library search per line and per byte sought costs more in its calls than in its loop: sixteen
// bytes are tested at a time inline, for both bytes at once.
inline const char *FindEitherByte(const char *from, const char *end, char a, char b)
{
#ifdef __SSE2__
    const __m128i first = _mm_set1_epi8(a);
    const __m128i second = _mm_set1_epi8(b);
    while (end - from >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from));
        const int found = _mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(bytes, first), _mm_cmpeq_epi8(bytes, second)));
        if (found != 0)
            return from + __builtin_ctz(static_cast<unsigned>(found));
        from += 16;
    }
#endif
    while (from != end && *from != a && *from != b)
        ++from;
    return from;
}

inline bool ContainsEither(std::string_view text, char a, char b)
{
    const char *end = text.data() + text.size();
    return FindEitherByte(text.data(), end, a, b) != end;
}

// Where the "-->" of a SubRip time line starts, or npos. It counts from the eleventh column on,
// so a time line needs at least "0:0:0,0 -->"-sized text before the arrow; the arrow is the first
// one from there. That "-->" ends at the first '>' after two '-': text lines, which are most
// lines, rarely hold a '>' at all and are passed sixteen bytes at a time.
inline std::size_t FindTimeArrow(std::string_view line)
{
    constexpr std::size_t firstColumn = 10;
    if (line.size() < firstColumn + 3)
        return std::string_view::npos;
    const char *end = line.data() + line.size();
    for (const char *from = line.data() + firstColumn + 2;;) {
        const char *close = FindEitherByte(from, end, '>', '>');
        if (close == end)
            return std::string_view::npos;
        if (close[-1] == '-' && close[-2] == '-')
            return static_cast<std::size_t>(close - 2 - line.data());
        from = close + 1;
    }
}

// Every byte up to and including the space counts as blank when subtitle lines are trimmed, so
// tabs and stray control bytes vanish too, while bytes of multi-byte characters (>= 0x80) never
// do.
inline bool IsBlankByte(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

inline std::string_view TrimBlanks(std::string_view text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsBlankByte(text[first]))
        ++first;
    while (last > first && IsBlankByte(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

inline bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline bool IsAsciiDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text) {
        if (!IsAsciiDigit(c))
            return false;
    }
    return true;
}

// Reads an optionally signed decimal integer that must fill the whole text; any number of digits
// reads, a magnitude beyond `limit` (not negative) as `limit`. For numbers that only ever feed a
// saturating computation, where refusing a long number would lose what follows it.
inline bool ParseClampedInt64(std::string_view text, int64_t limit, int64_t &value)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (!IsAsciiDigits(text))
        return false;
    int64_t magnitude = 0;
    if (text.size() <= 18) {
        // Below 10^18, inside int64 whatever the digits: the usual short number is read plainly.
        for (char c : text)
            magnitude = magnitude * 10 + (c - '0');
        magnitude = std::min(magnitude, limit);
    } else {
        for (char c : text) {
            const int digit = c - '0';
            magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
        }
    }
    value = negative ? -magnitude : magnitude;
    return true;
}

// Reads unsigned decimal digits that must fill the whole text and fit in uint32.
inline bool ParseUInt32(std::string_view text, uint32_t &value)
{
    if (!IsAsciiDigits(text))
        return false;
    uint64_t result = 0;
    for (char c : text) {
        result = result * 10 + static_cast<uint64_t>(c - '0');
        if (result > std::numeric_limits<uint32_t>::max())
            return false;
    }
    value = static_cast<uint32_t>(result);
    return true;
}

} // namespace duvara
