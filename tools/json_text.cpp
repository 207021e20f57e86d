#include "json_text.h"

namespace duvara {

namespace {

bool InRange(unsigned char byte, unsigned char low, unsigned char high)
{
    return byte >= low && byte <= high;
}

void AppendByteEscape(std::string &out, unsigned char byte)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    out.append("\\u00");
    out.push_back(hex[byte >> 4]);
    out.push_back(hex[byte & 0x0F]);
}

} // namespace

std::size_t Utf8SequenceLength(std::string_view bytes)
{
    if (bytes.empty())
        return 0;
    const auto at = [&](std::size_t i) {
        return static_cast<unsigned char>(bytes[i]);
    };
    const unsigned char lead = at(0);
    if (lead < 0x80)
        return 1;
    // The allowed range of the second byte depends on the lead; it rules out overlong forms,
    // surrogates and values past U+10FFFF. Later bytes are always 80..BF.
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (InRange(lead, 0xC2, 0xDF)) {
        length = 2;
    } else if (InRange(lead, 0xE0, 0xEF)) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (InRange(lead, 0xF0, 0xF4)) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() < length || !InRange(at(1), low, high))
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!InRange(at(i), 0x80, 0xBF))
            return 0;
    }
    return length;
}

void AppendJsonString(std::string &out, std::string_view bytes)
{
    out.push_back('"');
    for (std::size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x80) {
            if (const std::size_t length = Utf8SequenceLength(bytes.substr(i))) {
                out.append(bytes.substr(i, length));
                i += length;
            } else {
                AppendByteEscape(out, byte);
                ++i;
            }
            continue;
        }
        switch (byte) {
        case '"':
            out.append("\\\"");
            break;
        case '\\':
            out.append("\\\\");
            break;
        case '\n':
            out.append("\\n");
            break;
        case '\r':
            out.append("\\r");
            break;
        case '\t':
            out.append("\\t");
            break;
        default:
            if (byte < 0x20 || byte == 0x7F)
                AppendByteEscape(out, byte);
            else
                out.push_back(static_cast<char>(byte));
        }
        ++i;
    }
    out.push_back('"');
}

} // namespace duvara
