#include "subtitles/subtitle_markup.h"

#include "subtitles/subtitle_track.h"
#include "subtitles/text_scan.h"

#include <cstring>

namespace duvara {

namespace {

uint8_t StyleOfLetter(char c)
{
    switch (c) {
    case 'b':
        return StyleBold;
    case 'i':
        return StyleItalic;
    case 'u':
        return StyleUnderline;
    default:
        return 0;
    }
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Removing a tag can join its neighbours into a new one ("<<i>b>" holds <b> once <i> is gone).
// Deleting first occurrences until none is left and this single pass, which re-examines the
// end of the kept text after every closing byte, reach the same text and the same styles,
// because two tags can never overlap. The pass stays linear on long hostile lines.
template<std::size_t TagLength, typename LetterAt>
uint8_t RemoveStyleTags(std::string &line, char close, LetterAt letterOfTag)
{
    uint8_t style = 0;
    std::size_t kept = 0;
    for (std::size_t read = 0; read < line.size(); ++read) {
        const char c = line[read];
        line[kept++] = c;
        if (c != close || kept < TagLength)
            continue;
        if (const uint8_t bit = StyleOfLetter(letterOfTag(line.data() + kept - TagLength))) {
            style |= bit;
            kept -= TagLength;
        }
    }
    line.resize(kept);
    return style;
}

uint8_t RemoveAngleStyleTags(std::string &line)
{
    return RemoveStyleTags<3>(line, '>',
                              [](const char *tag) { return tag[0] == '<' ? tag[1] : '\0'; });
}

uint8_t RemoveBraceStyleTags(std::string &line)
{
    return RemoveStyleTags<5>(line, '}', [](const char *tag) {
        return tag[0] == '{' && tag[1] == '\\' && tag[3] == '1' ? tag[2] : '\0';
    });
}

// Drops groups from an opening through the first closing byte for as long as the first opening
// byte stands before the first closing one. What precedes a dropped group never holds either
// byte, so one pass from left to right does it.
void RemoveBracketGroups(std::string &line, char open, char close)
{
    std::size_t kept = 0;
    std::size_t read = 0;
    for (;;) {
        const std::size_t opening = line.find(open, read);
        if (opening == std::string::npos)
            break;
        const std::size_t closing = line.find(close, read);
        if (closing == std::string::npos || closing < opening)
            break;
        std::memmove(&line[kept], line.data() + read, opening - read);
        kept += opening - read;
        read = closing + 1;
    }
    std::memmove(&line[kept], line.data() + read, line.size() - read);
    line.resize(kept + line.size() - read);
}

std::size_t FindEither(const std::string &text, const char *first, const char *second)
{
    const std::size_t at = text.find(first);
    return at != std::string::npos ? at : text.find(second);
}

} // namespace

void StripSrtTags(std::string &line, TSubT &entry)
{
    // Each kind of markup is removed only when its opening byte is there: most marked lines
    // hold one kind, and every pass is a walk over the whole line.
    if (ContainsEither(line, '<', '<')) {
        entry.Style |= RemoveAngleStyleTags(line);
        RemoveBracketGroups(line, '<', '>');
    }
    if (ContainsEither(line, '{', '{')) {
        entry.Style |= RemoveBraceStyleTags(line);
        RemoveBracketGroups(line, '{', '}');
    }
}

void ParseBraceTags(std::string &text, TSubT &entry)
{
    // The style tag ends at its own "}", so a colour tag before it does not hide it.
    const std::size_t styleTag = FindEither(text, "{Y:", "{y:");
    const std::size_t groupEnd
        = styleTag == std::string::npos ? styleTag : text.find('}', styleTag);
    if (groupEnd != std::string::npos) {
        for (std::size_t i = styleTag + 3; i < groupEnd; ++i) {
            const char letter = text[i];
            const bool upper = letter >= 'A' && letter <= 'Z';
            entry.Style |= StyleOfLetter(upper ? static_cast<char>(letter - 'A' + 'a') : letter);
        }
        text.erase(styleTag, groupEnd - styleTag + 1);
    }

    const std::size_t colorTag = FindEither(text, "{C:$", "{c:$");
    if (colorTag != std::string::npos) {
        const std::string_view value = std::string_view(text).substr(colorTag + 3, 7);
        if (IsHexColor(value)) {
            int32_t color = 0;
            for (char c : value.substr(1))
                color = color * 16 + HexDigitValue(c);
            entry.Color = color;
        }
        // The tag's fixed width goes even when the value was not a colour.
        text.erase(colorTag, 11);
    }

    RemoveBracketGroups(text, '{', '}');
}

bool IsDigitLine(std::string_view text)
{
    return IsAsciiDigits(TrimBlanks(text));
}

bool IsHexColor(std::string_view text)
{
    if (text.size() < 7)
        return false;
    for (std::size_t i = 1; i < 7; ++i) {
        if (HexDigitValue(text[i]) < 0)
            return false;
    }
    return true;
}

} // namespace duvara
