#pragma once

#include <QString>

#include <string>

namespace duvara {

// Text that is not UTF-8 is read in the Western code page until a track's font chooses another.
inline constexpr int DefaultCharset = 0;

// Subtitle text is kept as the bytes read from the file. For display it is decoded as UTF-8 when
// the bytes are valid UTF-8, otherwise in the Windows code page that belongs to the track font's
// character set (0 = ANSI, 204 = Russian, ...). LF CR line joins become "\n".
QString DecodeSubtitleText(const std::string &bytes, int charset);

// The same for at most the first `maxBytes` bytes (cut before a UTF-8 sequence, never inside
// one), with "…" added where the text was cut. Nothing on screen needs more of an entry than a
// few lines, and laying out a line of megabytes would stall the window.
QString DecodeSubtitlePrefix(const std::string &bytes, int charset, std::size_t maxBytes);

// How much of an entry a caption and a list row show at most.
inline constexpr std::size_t kCaptionTextLimit = 4096;
inline constexpr std::size_t kListTextLimit = 512;

// The code page name of a font character set as the converter knows it, or nullptr when none is
// known (Johab) or the charset is unknown; such text is shown as Latin-1.
const char *CodePageForCharset(int charset);

} // namespace duvara
