// What the subtitle font dialog offers: the outline fonts installed, the sizes and the character
// sets, each character set with the number the track's font keeps for it.
#pragma once

#include <QFont>
#include <QStringList>

#include <array>

namespace duvara {

// A track's font as its panel keeps it: the face, and the size for a 612-pixel-wide picture;
// and the character set its text is decoded in where that text is not UTF-8.
struct SubtitleTrackFont
{
    QFont font;
    int charset = 0;
};

// The sizes in points the size list offers, in order.
inline constexpr std::array<int, 16> kFontSizeRows
    = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

struct CharsetRow
{
    const char *text;
    int charset;
};

// The character set list's rows. "Western " carries its trailing blank as the list always
// showed it.
inline constexpr std::array<CharsetRow, 15> kCharsetRows = {{
    {"Western ", 0},
    {"Japanese", 128},
    {"Korean (Wansung)", 129},
    {"Korean (Johab)", 130},
    {"Chinese (Mainland china)", 134},
    {"Chinese (Taiwanese)", 136},
    {"Greek", 161},
    {"Turkish", 162},
    {"Vietnamese", 163},
    {"Hebrew", 177},
    {"Arabic", 178},
    {"Baltic", 186},
    {"Cyrillic", 204},
    {"Thai", 222},
    {"East European", 238},
}};

// The row of a character set; a set the list does not offer shows as the first row.
int CharsetRowOf(int charset);

// The row whose size is `points`, or -1 when the list has no such size.
int FontSizeRowOf(int points);

// The installed font families that are drawn from outlines, each named once, in the font
// database's order. The captions stroke glyph contours, which bitmap fonts do not have; fonts
// the system keeps for itself are left out. A family that several foundries make is listed by
// its plain name, which the font matching resolves as it does for any other name.
QStringList ScalableFontFamilies();

// Whether a family can write its own name; a symbol font draws other signs for the letters.
bool WritesItsName(const QString &family);

} // namespace duvara
