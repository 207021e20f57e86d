// Text forms of subtitle times: the SubRip time hh:mm:ss,mmm, list ranges and entry numbers.
#pragma once

#include "subtitles/text_scan.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace duvara {

// Milliseconds of a SubRip time "hh:mm:ss,mmm" read after trimming. Hours are every leading
// digit, two at the least (100:00:00,000 reads); the other fields follow at fixed distances from
// them. The separators are not checked, so "00:00:01.250" reads too, but the one after the hours
// cannot be a digit. Any field that is not plain digits (empty, signed, a ':' inside it) makes
// the whole time 0; a time past int32 (596:31:23,647) saturates there.
inline int32_t ParseSrtTime(std::string_view text);

// The fields of "hh:mm:ss,mmm" laid out as ParseSrtTime reads them, untrimmed; nothing when a
// field is not plain digits, so that an unreadable text can be told from a time of 0. With
// `millisOptional` a text that ends before the milliseconds reads them as 0 (the whole-seconds
// form "hh:mm:ss").
std::optional<int32_t> ReadTimeFields(std::string_view text, bool millisOptional);

// "hh:mm:ss,mmm" with two-digit hours, nearly every time a file holds, read inline as
// ReadTimeFields reads it; nothing for any other layout, which ReadTimeFields then reads.
inline std::optional<int32_t> ReadUsualSrtTime(std::string_view time)
{
    if (time.size() < 12)
        return std::nullopt;
    const auto isDigit = [&](std::size_t i) {
        return IsAsciiDigit(time[i]);
    };
    if (!(isDigit(0) && isDigit(1) && !isDigit(2) && isDigit(3) && isDigit(4) && isDigit(6)
          && isDigit(7) && isDigit(9) && isDigit(10) && isDigit(11)))
        return std::nullopt;
    const auto digit = [&](std::size_t i) {
        return time[i] - '0';
    };
    return (digit(0) * 10 + digit(1)) * 3600000 + (digit(3) * 10 + digit(4)) * 60000
        + (digit(6) * 10 + digit(7)) * 1000 + digit(9) * 100 + digit(10) * 10 + digit(11);
}

inline int32_t ParseSrtTime(std::string_view text)
{
    const std::string_view time = TrimBlanks(text);
    if (const std::optional<int32_t> usual = ReadUsualSrtTime(time))
        return *usual;
    return ReadTimeFields(time, false).value_or(0);
}

// MicroDVD frame to milliseconds. `rate` is the frame rate in thousandths of a frame per second,
// `x` the frame number times 1000. A rate of 0 gives 0; results beyond int32 saturate.
int32_t FramesToMs(uint32_t rate, int64_t x);

// hh:mm:ss,mmm; hours take as many digits as they need (100:00:00,000). Every time up to
// 596:31:23,647 reads back to itself; larger ones, which only corrections reach, read back
// saturated to that.
std::string FormatSrtTime(uint32_t t);
void AppendSrtTime(std::string &out, uint32_t t);

// Prepends "0" until `number` is at least `width` characters long.
std::string PadZeros(std::size_t width, std::string_view number);

// "hh:mm:ss,mmm - hh:mm:ss,mmm", the time column of a track list.
std::string ListTimeRange(uint32_t start, uint32_t end);

// The number column of a track list: 1-based, at least four digits (0001, 12345).
std::string ListEntryNumber(std::size_t number);

} // namespace duvara
