#include "subtitles/subtitle_discovery.h"

#include "subtitles/language_tags.h"

#include <algorithm>
#include <array>

namespace duvara {

namespace {

constexpr std::array<std::string_view, 3> kSubtitleExtensions = {".srt", ".sub", ".txt"};

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

bool isNameSeparator(char c)
{
    return c == '.' || c == '_' || c == '-' || c == ' ';
}

// Words of a name's tail are also set apart by brackets: "film [en].srt".
bool isWordSeparator(char c)
{
    return isNameSeparator(c) || c == '[' || c == ']' || c == '(' || c == ')';
}

bool isRegion(std::string_view word)
{
    const auto letter = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    };
    return word.size() == 2 && letter(word[0]) && letter(word[1])
        && !sameIgnoringAsciiCase(word, "hi") && !sameIgnoringAsciiCase(word, "cc");
}

char upperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// Where a candidate stands for a wanted language: 0 the language and region as wanted, 1 the
// language in another region or none, -1 another language or none at all.
int matchRank(const std::string &language, const std::string &wanted)
{
    if (language.empty())
        return -1;
    if (language == wanted)
        return 0;
    return BaseLanguage(language) == BaseLanguage(wanted) ? 1 : -1;
}

class Chooser
{
public:
    explicit Chooser(const std::vector<SubtitleCandidate> &candidates)
        : m_candidates(candidates)
        , m_taken(candidates.size(), false)
    { }

    // The held file's candidate is nobody else's; its index, when it is one.
    std::optional<size_t> hold(const HeldTrack &track)
    {
        if (!track.held || track.name.empty())
            return std::nullopt;
        for (size_t i = 0; i < m_candidates.size(); ++i) {
            if (m_candidates[i].name == track.name) {
                m_taken[i] = true;
                return i;
            }
        }
        return std::nullopt;
    }

    std::optional<size_t> inLanguages(const std::vector<std::string> &languages) const
    {
        for (const std::string &wanted : languages) {
            for (int rank = 0; rank <= 1; ++rank) {
                if (auto found = first([&](const SubtitleCandidate &candidate) {
                        return matchRank(candidate.language, wanted) == rank;
                    }))
                    return found;
            }
        }
        return std::nullopt;
    }

    template<typename Test> std::optional<size_t> first(Test test) const
    {
        for (const bool marked : {false, true}) {
            for (size_t i = 0; i < m_candidates.size(); ++i) {
                if (!m_taken[i] && m_candidates[i].marked == marked && test(m_candidates[i]))
                    return i;
            }
        }
        return std::nullopt;
    }

    void take(std::optional<size_t> index)
    {
        if (index)
            m_taken[*index] = true;
    }

private:
    const std::vector<SubtitleCandidate> &m_candidates;
    std::vector<bool> m_taken;
};

struct Word
{
    std::string_view text;
    char before; // the separator in front of it
};

std::vector<Word> wordsOf(std::string_view tail)
{
    std::vector<Word> words;
    char before = '.';
    for (size_t at = 0; at < tail.size();) {
        if (isWordSeparator(tail[at])) {
            before = tail[at++];
            continue;
        }
        size_t end = at;
        while (end < tail.size() && !isWordSeparator(tail[end]))
            ++end;
        words.push_back({tail.substr(at, end - at), before});
        at = end;
    }
    return words;
}

} // namespace

bool NameTailIsMarked(std::string_view tail)
{
    constexpr std::string_view kMarks[] = {"forced", "sdh", "hi", "cc", "hoh"};
    for (const Word &word : wordsOf(tail)) {
        for (std::string_view mark : kMarks) {
            if (sameIgnoringAsciiCase(word.text, mark))
                return true;
        }
    }
    return false;
}

std::string LanguageOfNameTail(std::string_view tail)
{
    const std::vector<Word> words = wordsOf(tail);
    for (size_t i = 0; i < words.size(); ++i) {
        std::string code = LanguageCodeOfWord(words[i].text);
        if (code.empty())
            continue;
        // "pt-BR", "pt_br": a region joined to the language. "film.en.de" names two languages.
        if (code.find('-') == std::string::npos && i + 1 < words.size()
            && (words[i + 1].before == '-' || words[i + 1].before == '_')
            && isRegion(words[i + 1].text)) {
            code += '-';
            code += upperAscii(words[i + 1].text[0]);
            code += upperAscii(words[i + 1].text[1]);
        }
        return code;
    }
    return {};
}

std::vector<SubtitleCandidate> FindSubtitleCandidates(std::string_view filmBaseName,
                                                      const std::vector<std::string> &names)
{
    std::vector<SubtitleCandidate> found;
    if (filmBaseName.empty())
        return found;
    for (const std::string &name : names) {
        const std::string_view whole(name);
        if (whole.size() < filmBaseName.size() + 4
            || !sameIgnoringAsciiCase(whole.substr(0, filmBaseName.size()), filmBaseName))
            continue;
        const std::string_view extension = whole.substr(whole.size() - 4);
        if (std::none_of(
                kSubtitleExtensions.begin(), kSubtitleExtensions.end(),
                [&](std::string_view known) { return sameIgnoringAsciiCase(extension, known); }))
            continue;
        // What lies between: nothing, or a tail that starts with a separator.
        const std::string_view tail
            = whole.substr(filmBaseName.size(), whole.size() - 4 - filmBaseName.size());
        if (!tail.empty() && !isNameSeparator(tail.front()))
            continue;
        found.push_back({name, LanguageOfNameTail(tail), NameTailIsMarked(tail)});
    }
    std::sort(
        found.begin(), found.end(),
        [](const SubtitleCandidate &a, const SubtitleCandidate &b) { return a.name < b.name; });
    return found;
}

SubtitlePreferences PreferencesWithDesktop(std::vector<std::string> primary,
                                           std::vector<std::string> secondary,
                                           const std::string &desktop)
{
    const std::string own = desktop.empty() ? std::string("en") : desktop;
    if (primary.empty())
        primary.push_back(own);
    const bool primaryWantsOwn
        = std::any_of(primary.begin(), primary.end(), [&](const std::string &language) {
              return BaseLanguage(language) == BaseLanguage(own);
          });
    if (secondary.empty() && !primaryWantsOwn)
        secondary.push_back(own);
    return {std::move(primary), std::move(secondary)};
}

SubtitleChoice ChooseSubtitleFiles(const std::vector<SubtitleCandidate> &candidates,
                                   const SubtitlePreferences &preferences,
                                   const HeldTrack &heldPrimary, const HeldTrack &heldSecondary)
{
    Chooser chooser(candidates);
    const std::optional<size_t> primaryHeld = chooser.hold(heldPrimary);
    chooser.hold(heldSecondary);
    SubtitleChoice choice;

    if (!heldPrimary.held) {
        choice.primary = chooser.inLanguages(preferences.primary);
        if (!choice.primary)
            choice.primary = chooser.first(
                [](const SubtitleCandidate &candidate) { return candidate.language.empty(); });
        chooser.take(choice.primary);
    }
    if (!heldSecondary.held) {
        choice.secondary = chooser.inLanguages(preferences.secondary);
        chooser.take(choice.secondary);
    }
    if (!heldPrimary.held && !choice.primary) {
        choice.primary = chooser.first([](const SubtitleCandidate &) { return true; });
        chooser.take(choice.primary);
    }
    if (heldSecondary.held || choice.secondary)
        return choice;

    // The primary's language: its file's, or the one it wants when its file says none.
    const std::optional<size_t> primaryFile = heldPrimary.held ? primaryHeld : choice.primary;
    const bool primaryTagged = primaryFile && !candidates[*primaryFile].language.empty();
    const std::string primaryLanguage = primaryTagged ? candidates[*primaryFile].language
        : preferences.primary.empty()                 ? std::string()
                                                      : preferences.primary.front();
    choice.secondary = chooser.first([&](const SubtitleCandidate &candidate) {
        if (candidate.language.empty())
            return primaryTagged;
        return BaseLanguage(candidate.language) != BaseLanguage(primaryLanguage);
    });
    if (!choice.secondary)
        choice.secondary = chooser.first(
            [](const SubtitleCandidate &candidate) { return candidate.language.empty(); });
    return choice;
}

} // namespace duvara
