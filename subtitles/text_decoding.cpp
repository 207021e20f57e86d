#include "subtitles/text_decoding.h"

#include <cstdint>
#include <cstring>

namespace duvara {

namespace {

bool StartsWith(std::string_view bytes, std::string_view prefix)
{
    return bytes.substr(0, prefix.size()) == prefix;
}

void AppendUtf8(std::string &out, uint32_t code)
{
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

constexpr uint32_t ReplacementCharacter = 0xFFFD;

} // namespace

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    const auto unitAt = [&](std::size_t index) -> uint32_t {
        const auto first = static_cast<unsigned char>(bytes[index * 2]);
        const auto second = static_cast<unsigned char>(bytes[index * 2 + 1]);
        return bigEndian ? (uint32_t {first} << 8) | second : (uint32_t {second} << 8) | first;
    };
    const std::size_t units = bytes.size() / 2;
    std::string out;
    out.reserve(units + units / 2);
    for (std::size_t i = 0; i < units; ++i) {
        const uint32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            const uint32_t low = unitAt(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? ReplacementCharacter : unit);
    }
    return out;
}

std::string_view SubtitleText(std::string_view bytes, std::string &storage)
{
    std::string_view text = bytes;
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        text = bytes.substr(3);
    } else if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
        storage = Utf16ToUtf8(bytes.substr(2), bytes[0] == '\xFE');
        text = storage;
    }
    if (text.empty())
        return text;
    if (const void *nul = std::memchr(text.data(), '\0', text.size()))
        text = text.substr(0,
                           static_cast<std::size_t>(static_cast<const char *>(nul) - text.data()));
    return text;
}

} // namespace duvara
