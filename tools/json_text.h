// JSON string literals of subtitle bytes, for duvara-subs dump.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace duvara {

// Length of the well-formed UTF-8 sequence starting at `bytes[0]` (1-4), or 0 when the bytes
// there are not one (overlong forms, surrogates and code points past U+10FFFF included).
std::size_t Utf8SequenceLength(std::string_view bytes);

// Appends `bytes` as a quoted JSON string: control bytes as \n, \r, \t or \u00XX, well-formed
// UTF-8 as it is, and every other byte of 0x80 and above as \u00XX, so any byte string gives
// valid JSON and its bytes can be told apart.
void AppendJsonString(std::string &out, std::string_view bytes);

} // namespace duvara
