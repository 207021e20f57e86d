// Finding a film's subtitle files beside it and sharing them between the two tracks. Names are
// the file system's bytes as they are: a name in no known encoding is matched and kept as it is.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace duvara {

struct SubtitleCandidate
{
    std::string name; // the file's name in its folder
    std::string language; // "en", "pt-BR"; empty when the name carries no language
    // Forced (only the lines in other languages), for the deaf and hard of hearing: a plain
    // file of the same language goes first.
    bool marked = false;
    bool operator==(const SubtitleCandidate &other) const
    {
        return name == other.name && language == other.language && marked == other.marked;
    }
};

// The film's subtitle files among the names in its folder, in byte order of their names. A name
// belongs to the film when it starts with the film's base name and goes on with the extension or
// with one of ". _ -" or a space; it ends in .srt, .sub or .txt. Letters A-Z match a-z in the
// base name and the extension (a film "Film.mp4" and its "film.EN.SRT"); other bytes must be
// the same. A base name "film" takes no "film2.srt". An empty base name finds nothing.
std::vector<SubtitleCandidate> FindSubtitleCandidates(std::string_view filmBaseName,
                                                      const std::vector<std::string> &names);

// The language named between the base name and the extension: "en" in ".en", ".eng.forced",
// "_English", "[en]"; "pt-BR" in "-pt-BR", ".pt_br". The first word that names a language
// counts; "forced", "sdh", "hi", "cc" and other words are no language. Empty for none.
std::string LanguageOfNameTail(std::string_view tail);
// Whether the tail marks a partial or special file: "forced", "sdh", "hi", "cc", "hoh".
bool NameTailIsMarked(std::string_view tail);

// The languages each track wants, most wanted first (codes as CanonicalLanguage gives them).
struct SubtitlePreferences
{
    std::vector<std::string> primary;
    std::vector<std::string> secondary; // empty: any language but the primary track's
};

// The preferences of the settings, with the desktop's language where the settings name none:
// the primary track wants the desktop's language (English when the desktop names none), and the
// secondary the desktop's language when the primary wants others.
SubtitlePreferences PreferencesWithDesktop(std::vector<std::string> primary,
                                           std::vector<std::string> secondary,
                                           const std::string &desktop);

// A track that holds a file already when the film starts; `name` is the file's name when it lies
// in the film's folder, so that its candidate is not given to the other track too.
struct HeldTrack
{
    bool held = false;
    std::string name;
};

// Which candidates the tracks take (indexes into `candidates`); nothing for a held track or
// when none is left for it. Never one file for both.
//
// The primary track takes the first file in name order in the first of its languages that has
// one; else the first file without a language (it counts as the primary's language). The
// secondary takes the first file in the first of its languages that has one; else the first
// file in a language other than the primary's, where a file without a language counts as
// another language when the primary's file has one; else a file without a language left over.
// A primary left without a file of its languages takes the first file the secondary does not
// want, so that a film never plays without the subtitles beside it. Within each of these steps a
// marked file comes after the plain ones. A region in a preference
// ("pt-BR") is matched first, then the language itself.
struct SubtitleChoice
{
    std::optional<size_t> primary;
    std::optional<size_t> secondary;
};
SubtitleChoice ChooseSubtitleFiles(const std::vector<SubtitleCandidate> &candidates,
                                   const SubtitlePreferences &preferences,
                                   const HeldTrack &heldPrimary = {},
                                   const HeldTrack &heldSecondary = {});

} // namespace duvara
