#include "subtitles/time_text.h"

#include "subtitles/text_scan.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace duvara {

namespace {

constexpr int64_t LargestTime = std::numeric_limits<int32_t>::max();

// A field value this large puts the time past LargestTime whatever the field's unit, so larger
// values are held at it: hours of any length then cost no overflow.
constexpr int64_t FieldLimit = LargestTime + 1;

// A field at fixed 0-based columns; missing columns shorten it, as a substring copy would.
bool ReadTimeField(std::string_view text, std::size_t column, std::size_t width, int64_t &value)
{
    if (column >= text.size())
        return false;
    const std::string_view field = text.substr(column, width);
    if (!IsAsciiDigits(field))
        return false;
    value = 0;
    for (char c : field)
        value = std::min(value * 10 + (c - '0'), FieldLimit);
    return true;
}

// The writer gives hours as many digits as they need, so they run to the first non-digit. Two
// columns stay the least: a one-digit hour still fails as a field, as it always has.
std::size_t HoursWidth(std::string_view text)
{
    std::size_t width = 0;
    while (width < text.size() && IsAsciiDigit(text[width]))
        ++width;
    return std::max<std::size_t>(width, 2);
}

void AppendPadded(std::string &out, uint32_t value, std::size_t width)
{
    char digits[10];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (std::size_t i = count; i < width; ++i)
        out.push_back('0');
    while (count > 0)
        out.push_back(digits[--count]);
}

} // namespace

std::optional<int32_t> ReadTimeFields(std::string_view time, bool millisOptional)
{
    if (const std::optional<int32_t> usual = ReadUsualSrtTime(time))
        return usual;
    // The other fields keep their distances from the end of the hours: with two-digit hours
    // these are the usual columns 3, 6 and 9.
    const std::size_t hoursWidth = HoursWidth(time);
    const std::size_t minutesColumn = hoursWidth + 1;
    const std::size_t secondsColumn = hoursWidth + 4;
    const std::size_t millisColumn = hoursWidth + 7;
    int64_t hours = 0;
    int64_t minutes = 0;
    int64_t seconds = 0;
    int64_t millis = 0;
    if (!ReadTimeField(time, 0, hoursWidth, hours)
        || !ReadTimeField(time, minutesColumn, 2, minutes)
        || !ReadTimeField(time, secondsColumn, 2, seconds))
        return std::nullopt;
    const bool millisMissing = millisOptional && time.size() <= millisColumn;
    if (!millisMissing && !ReadTimeField(time, millisColumn, 3, millis))
        return std::nullopt;
    // Past what a track's 32-bit times hold the time saturates, as MicroDVD frame times do:
    // the entry and its text stay, at the latest time a track can place them.
    const int64_t total = hours * 3600000 + minutes * 60000 + seconds * 1000 + millis;
    return static_cast<int32_t>(std::min(total, LargestTime));
}

int32_t FramesToMs(uint32_t rate, int64_t x)
{
    if (rate == 0)
        return 0;
    const int64_t wholeSeconds = x / rate;
    constexpr int64_t secondsLimit = std::numeric_limits<int32_t>::max() / 1000 + 1;
    if (wholeSeconds > secondsLimit)
        return std::numeric_limits<int32_t>::max();
    if (wholeSeconds < -secondsLimit)
        return std::numeric_limits<int32_t>::min();
    const double fraction = static_cast<double>(x) / rate - static_cast<double>(wholeSeconds);
    const int64_t millis
        = wholeSeconds * 1000 + static_cast<int64_t>(std::nearbyint(fraction * 1000));
    if (millis > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (millis < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(millis);
}

void AppendSrtTime(std::string &out, uint32_t t)
{
    AppendPadded(out, t / 3600000, 2);
    out.push_back(':');
    AppendPadded(out, t % 3600000 / 60000, 2);
    out.push_back(':');
    AppendPadded(out, t % 60000 / 1000, 2);
    out.push_back(',');
    AppendPadded(out, t % 1000, 3);
}

std::string FormatSrtTime(uint32_t t)
{
    std::string text;
    text.reserve(16);
    AppendSrtTime(text, t);
    return text;
}

std::string PadZeros(std::size_t width, std::string_view number)
{
    std::string text;
    if (number.size() < width)
        text.assign(width - number.size(), '0');
    text.append(number);
    return text;
}

std::string ListTimeRange(uint32_t start, uint32_t end)
{
    std::string text;
    text.reserve(32);
    AppendSrtTime(text, start);
    text.append(" - ");
    AppendSrtTime(text, end);
    return text;
}

std::string ListEntryNumber(std::size_t number)
{
    return PadZeros(4, std::to_string(number));
}

} // namespace duvara
