// Generated subtitle files shared by the reading benchmarks and the cold-load program, so both
// measure the same bytes.
#pragma once

#include "subtitles/time_text.h"

#include <cstdint>
#include <string>

namespace duvara::bench {

inline constexpr uint32_t EntrySpacing = 2500; // ms from one start to the next
inline constexpr uint32_t EntryLength = 2000;

// Captions of typical length; every fourth in italics, every third on two lines. About 80 bytes
// an entry, as in real files (a 65,535-entry file is some 5.3 MB).
inline const char *const Lines[] = {"I don't think we should be here.", "Then why did you come?",
                                    "Because somebody had to stop you.", "Keep your voice down!",
                                    "We have twenty minutes, no more."};

inline std::string SubRipFile(int entries)
{
    std::string text;
    text.reserve(static_cast<std::size_t>(entries) * 96);
    for (int i = 0; i < entries; ++i) {
        const uint32_t start = 1000 + static_cast<uint32_t>(i) * EntrySpacing;
        text += std::to_string(i + 1) + "\r\n";
        text += FormatSrtTime(start) + " --> " + FormatSrtTime(start + EntryLength) + "\r\n";
        const char *line = Lines[i % 5];
        text += i % 4 == 0 ? std::string("<i>") + line + "</i>" : std::string(line);
        text += "\r\n";
        if (i % 3 == 0)
            text += std::string(Lines[(i + 2) % 5]) + "\r\n";
        text += "\r\n";
    }
    return text;
}

inline std::string MicroDvdFile(int entries)
{
    std::string text = "{1}{1}23.976\r\n";
    text.reserve(static_cast<std::size_t>(entries) * 72);
    for (int i = 0; i < entries; ++i) {
        const uint32_t start = 24 + static_cast<uint32_t>(i) * 60;
        text += "{" + std::to_string(start) + "}{" + std::to_string(start + 48) + "}";
        if (i % 4 == 0)
            text += "{y:i}";
        text += Lines[i % 5];
        if (i % 3 == 0)
            text += std::string("|") + Lines[(i + 2) % 5];
        text += "\r\n";
    }
    return text;
}

} // namespace duvara::bench
