// Turns the bytes of a subtitle file into the 8-bit text the grammars read.
#pragma once

#include <string>
#include <string_view>

namespace duvara {

// The text of a file's bytes: a UTF-8 byte-order mark is skipped, UTF-16 (LE or BE, by its
// byte-order mark) is converted to UTF-8 into `storage`, and the text ends at the first NUL.
// Other bytes are kept as they are. The result views `bytes` or `storage`.
std::string_view SubtitleText(std::string_view bytes, std::string &storage);

// UTF-16 code units to UTF-8; unpaired surrogates become U+FFFD, an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

} // namespace duvara
