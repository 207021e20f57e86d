// Languages as subtitle file names, the settings and the desktop name them: ISO 639-1 codes,
// ISO 639-2 codes in both their bibliographic ("ger") and terminology ("deu") forms, and English
// names ("German") all stand for one code, the two-letter one, with a region after a hyphen when
// one is named ("pt-BR").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace duvara {

// The code a single word of a file name stands for ("EN", "eng", "English" -> "en"), compared
// without regard to ASCII case; empty when it names no language. "hi" is no language here: in
// file names it marks subtitles for the hard of hearing far more often than Hindi, which is
// "hin" or "Hindi".
std::string LanguageCodeOfWord(std::string_view word);

// A language as the settings or the desktop name it: "de", "de-AT", "pt_BR", "ger", "German",
// "zh-Hant-TW", "en_US.UTF-8" -> "de", "de-AT", "pt-BR", "de", "de", "zh-TW", "en-US". Here
// "hi" is Hindi. Empty for a text that names no language ("C", "POSIX", "").
std::string CanonicalLanguage(std::string_view text);

// The codes of a comma-separated list, in its order; entries that name no language and repeats
// are left out.
std::vector<std::string> LanguageList(std::string_view list);

// The language without its region: "pt" for "pt-BR".
std::string_view BaseLanguage(std::string_view code);

} // namespace duvara
