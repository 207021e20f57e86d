// Markup of subtitle text lines: SubRip/ASS style tags and MicroDVD style and colour tags.
#pragma once

#include <string>
#include <string_view>

namespace duvara {

struct TSubT;

// Removes <i> <b> <u> and {\i1} {\b1} {\u1}, adding their style to the whole entry, then drops
// every other <...> and {...} group. Unbalanced brackets stay as text.
void StripSrtTags(std::string &line, TSubT &entry);

// Takes the first {Y:...} style tag and the first {C:$BBGGRR} colour tag into the entry, in
// either order, then drops every remaining {...} group.
void ParseBraceTags(std::string &text, TSubT &entry);

// After trimming, not empty and only the digits 0-9.
bool IsDigitLine(std::string_view text);

// "$" followed by six hexadecimal digits (the "$" itself is not examined).
bool IsHexColor(std::string_view text);

} // namespace duvara
