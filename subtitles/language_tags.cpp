#include "subtitles/language_tags.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace duvara {

namespace {

struct LanguageWord
{
    std::string_view word; // lower case
    std::string_view code;
};

// Every language with a two-letter code: that code, its three-letter codes and its one-word
// English names (from the ISO 639-2 list), and a few names release groups use ("chs", "pob").
// Sorted by word for the binary search; many rows to a line.
// clang-format off
constexpr LanguageWord kLanguageWords[] = {
    {"aa", "aa"}, {"aar", "aa"}, {"ab", "ab"}, {"abk", "ab"}, {"abkhazian", "ab"}, {"ae", "ae"},
    {"af", "af"}, {"afar", "aa"}, {"afr", "af"}, {"afrikaans", "af"}, {"ak", "ak"}, {"aka", "ak"},
    {"akan", "ak"}, {"alb", "sq"}, {"albanian", "sq"}, {"am", "am"}, {"amh", "am"},
    {"amharic", "am"}, {"an", "an"}, {"ar", "ar"}, {"ara", "ar"}, {"arabic", "ar"},
    {"aragonese", "an"}, {"arg", "an"}, {"arm", "hy"}, {"armenian", "hy"}, {"as", "as"},
    {"asm", "as"}, {"assamese", "as"}, {"av", "av"}, {"ava", "av"}, {"avaric", "av"},
    {"ave", "ae"}, {"avestan", "ae"}, {"ay", "ay"}, {"aym", "ay"}, {"aymara", "ay"}, {"az", "az"},
    {"aze", "az"}, {"azerbaijani", "az"}, {"ba", "ba"}, {"bak", "ba"}, {"bam", "bm"},
    {"bambara", "bm"}, {"baq", "eu"}, {"bashkir", "ba"}, {"basque", "eu"}, {"be", "be"},
    {"bel", "be"}, {"belarusian", "be"}, {"ben", "bn"}, {"bengali", "bn"}, {"bg", "bg"},
    {"bh", "bh"}, {"bi", "bi"}, {"bih", "bh"}, {"bis", "bi"}, {"bislama", "bi"}, {"bm", "bm"},
    {"bn", "bn"}, {"bo", "bo"}, {"bod", "bo"}, {"bos", "bs"}, {"bosnian", "bs"}, {"br", "br"},
    {"brazilian", "pt-BR"}, {"bre", "br"}, {"breton", "br"}, {"bs", "bs"}, {"bul", "bg"},
    {"bulgarian", "bg"}, {"bur", "my"}, {"burmese", "my"}, {"ca", "ca"}, {"castilian", "es"},
    {"cat", "ca"}, {"catalan", "ca"}, {"ce", "ce"}, {"ces", "cs"}, {"ch", "ch"}, {"cha", "ch"},
    {"chamorro", "ch"}, {"che", "ce"}, {"chechen", "ce"}, {"chewa", "ny"}, {"chi", "zh"},
    {"chichewa", "ny"}, {"chinese", "zh"}, {"chs", "zh"}, {"cht", "zh"}, {"chu", "cu"},
    {"chuang", "za"}, {"chuvash", "cv"}, {"chv", "cv"}, {"co", "co"}, {"cor", "kw"},
    {"cornish", "kw"}, {"corsican", "co"}, {"cos", "co"}, {"cr", "cr"}, {"cre", "cr"},
    {"cree", "cr"}, {"croatian", "hr"}, {"cs", "cs"}, {"cu", "cu"}, {"cv", "cv"}, {"cy", "cy"},
    {"cym", "cy"}, {"cze", "cs"}, {"czech", "cs"}, {"da", "da"}, {"dan", "da"}, {"danish", "da"},
    {"de", "de"}, {"deu", "de"}, {"dhivehi", "dv"}, {"div", "dv"}, {"divehi", "dv"}, {"dut", "nl"},
    {"dutch", "nl"}, {"dv", "dv"}, {"dz", "dz"}, {"dzo", "dz"}, {"dzongkha", "dz"}, {"ee", "ee"},
    {"el", "el"}, {"ell", "el"}, {"en", "en"}, {"eng", "en"}, {"english", "en"}, {"eo", "eo"},
    {"epo", "eo"}, {"es", "es"}, {"esperanto", "eo"}, {"est", "et"}, {"estonian", "et"},
    {"et", "et"}, {"eu", "eu"}, {"eus", "eu"}, {"ewe", "ee"}, {"fa", "fa"}, {"fao", "fo"},
    {"faroese", "fo"}, {"farsi", "fa"}, {"fas", "fa"}, {"ff", "ff"}, {"fi", "fi"}, {"fij", "fj"},
    {"fijian", "fj"}, {"fin", "fi"}, {"finnish", "fi"}, {"fj", "fj"}, {"flemish", "nl"},
    {"fo", "fo"}, {"fr", "fr"}, {"fra", "fr"}, {"fre", "fr"}, {"french", "fr"}, {"fry", "fy"},
    {"ful", "ff"}, {"fulah", "ff"}, {"fy", "fy"}, {"ga", "ga"}, {"gaelic", "gd"},
    {"galician", "gl"}, {"ganda", "lg"}, {"gd", "gd"}, {"geo", "ka"}, {"georgian", "ka"},
    {"ger", "de"}, {"german", "de"}, {"gikuyu", "ki"}, {"gl", "gl"}, {"gla", "gd"}, {"gle", "ga"},
    {"glg", "gl"}, {"glv", "gv"}, {"gn", "gn"}, {"gre", "el"}, {"greek", "el"},
    {"greenlandic", "kl"}, {"grn", "gn"}, {"gu", "gu"}, {"guarani", "gn"}, {"guj", "gu"},
    {"gujarati", "gu"}, {"gv", "gv"}, {"ha", "ha"}, {"haitian", "ht"}, {"hat", "ht"},
    {"hau", "ha"}, {"hausa", "ha"}, {"he", "he"}, {"heb", "he"}, {"hebrew", "he"}, {"her", "hz"},
    {"herero", "hz"}, {"hin", "hi"}, {"hindi", "hi"}, {"hmo", "ho"}, {"ho", "ho"}, {"hr", "hr"},
    {"hrv", "hr"}, {"ht", "ht"}, {"hu", "hu"}, {"hun", "hu"}, {"hungarian", "hu"}, {"hy", "hy"},
    {"hye", "hy"}, {"hz", "hz"}, {"ia", "ia"}, {"ibo", "ig"}, {"ice", "is"}, {"icelandic", "is"},
    {"id", "id"}, {"ido", "io"}, {"ie", "ie"}, {"ig", "ig"}, {"igbo", "ig"}, {"ii", "ii"},
    {"iii", "ii"}, {"ik", "ik"}, {"iku", "iu"}, {"ile", "ie"}, {"ina", "ia"}, {"ind", "id"},
    {"indonesian", "id"}, {"interlingua", "ia"}, {"interlingue", "ie"}, {"inuktitut", "iu"},
    {"inupiaq", "ik"}, {"io", "io"}, {"ipk", "ik"}, {"irish", "ga"}, {"is", "is"}, {"isl", "is"},
    {"it", "it"}, {"ita", "it"}, {"italian", "it"}, {"iu", "iu"}, {"ja", "ja"}, {"japanese", "ja"},
    {"jav", "jv"}, {"javanese", "jv"}, {"jpn", "ja"}, {"jv", "jv"}, {"ka", "ka"}, {"kal", "kl"},
    {"kalaallisut", "kl"}, {"kan", "kn"}, {"kannada", "kn"}, {"kanuri", "kr"}, {"kas", "ks"},
    {"kashmiri", "ks"}, {"kat", "ka"}, {"kau", "kr"}, {"kaz", "kk"}, {"kazakh", "kk"},
    {"kg", "kg"}, {"khm", "km"}, {"ki", "ki"}, {"kik", "ki"}, {"kikuyu", "ki"}, {"kin", "rw"},
    {"kinyarwanda", "rw"}, {"kir", "ky"}, {"kirghiz", "ky"}, {"kj", "kj"}, {"kk", "kk"},
    {"kl", "kl"}, {"km", "km"}, {"kn", "kn"}, {"ko", "ko"}, {"kom", "kv"}, {"komi", "kv"},
    {"kon", "kg"}, {"kongo", "kg"}, {"kor", "ko"}, {"korean", "ko"}, {"kr", "kr"}, {"ks", "ks"},
    {"ku", "ku"}, {"kua", "kj"}, {"kuanyama", "kj"}, {"kur", "ku"}, {"kurdish", "ku"},
    {"kv", "kv"}, {"kw", "kw"}, {"kwanyama", "kj"}, {"ky", "ky"}, {"kyrgyz", "ky"}, {"la", "la"},
    {"lao", "lo"}, {"lat", "la"}, {"latin", "la"}, {"latvian", "lv"}, {"lav", "lv"}, {"lb", "lb"},
    {"letzeburgesch", "lb"}, {"lg", "lg"}, {"li", "li"}, {"lim", "li"}, {"limburgan", "li"},
    {"limburger", "li"}, {"limburgish", "li"}, {"lin", "ln"}, {"lingala", "ln"}, {"lit", "lt"},
    {"lithuanian", "lt"}, {"ln", "ln"}, {"lo", "lo"}, {"lt", "lt"}, {"ltz", "lb"}, {"lu", "lu"},
    {"lub", "lu"}, {"lug", "lg"}, {"luxembourgish", "lb"}, {"lv", "lv"}, {"mac", "mk"},
    {"macedonian", "mk"}, {"mah", "mh"}, {"mal", "ml"}, {"malagasy", "mg"}, {"malay", "ms"},
    {"malayalam", "ml"}, {"maldivian", "dv"}, {"maltese", "mt"}, {"manx", "gv"}, {"mao", "mi"},
    {"maori", "mi"}, {"mar", "mr"}, {"marathi", "mr"}, {"marshallese", "mh"}, {"may", "ms"},
    {"mg", "mg"}, {"mh", "mh"}, {"mi", "mi"}, {"mk", "mk"}, {"mkd", "mk"}, {"ml", "ml"},
    {"mlg", "mg"}, {"mlt", "mt"}, {"mn", "mn"}, {"moldavian", "ro"}, {"moldovan", "ro"},
    {"mon", "mn"}, {"mongolian", "mn"}, {"mr", "mr"}, {"mri", "mi"}, {"ms", "ms"}, {"msa", "ms"},
    {"mt", "mt"}, {"my", "my"}, {"mya", "my"}, {"na", "na"}, {"nau", "na"}, {"nauru", "na"},
    {"nav", "nv"}, {"navaho", "nv"}, {"navajo", "nv"}, {"nb", "nb"}, {"nbl", "nr"}, {"nd", "nd"},
    {"nde", "nd"}, {"ndo", "ng"}, {"ndonga", "ng"}, {"ne", "ne"}, {"nep", "ne"}, {"nepali", "ne"},
    {"ng", "ng"}, {"nl", "nl"}, {"nld", "nl"}, {"nn", "nn"}, {"nno", "nn"}, {"no", "no"},
    {"nob", "nb"}, {"nor", "no"}, {"norwegian", "no"}, {"nr", "nr"}, {"nuosu", "ii"}, {"nv", "nv"},
    {"ny", "ny"}, {"nya", "ny"}, {"nyanja", "ny"}, {"nynorsk", "nn"}, {"oc", "oc"},
    {"occitan", "oc"}, {"oci", "oc"}, {"oj", "oj"}, {"oji", "oj"}, {"ojibwa", "oj"}, {"om", "om"},
    {"or", "or"}, {"ori", "or"}, {"oriya", "or"}, {"orm", "om"}, {"oromo", "om"}, {"os", "os"},
    {"oss", "os"}, {"ossetian", "os"}, {"ossetic", "os"}, {"pa", "pa"}, {"pali", "pi"},
    {"pan", "pa"}, {"panjabi", "pa"}, {"pashto", "ps"}, {"pb", "pt-BR"}, {"per", "fa"},
    {"persian", "fa"}, {"pi", "pi"}, {"pl", "pl"}, {"pli", "pi"}, {"pob", "pt-BR"}, {"pol", "pl"},
    {"polish", "pl"}, {"por", "pt"}, {"portuguese", "pt"}, {"ps", "ps"}, {"pt", "pt"},
    {"punjabi", "pa"}, {"pus", "ps"}, {"pushto", "ps"}, {"qu", "qu"}, {"que", "qu"},
    {"quechua", "qu"}, {"rm", "rm"}, {"rn", "rn"}, {"ro", "ro"}, {"roh", "rm"}, {"romanian", "ro"},
    {"romansh", "rm"}, {"ron", "ro"}, {"ru", "ru"}, {"rum", "ro"}, {"run", "rn"}, {"rundi", "rn"},
    {"rus", "ru"}, {"russian", "ru"}, {"rw", "rw"}, {"sa", "sa"}, {"sag", "sg"}, {"samoan", "sm"},
    {"san", "sa"}, {"sango", "sg"}, {"sanskrit", "sa"}, {"sardinian", "sc"}, {"sc", "sc"},
    {"sd", "sd"}, {"se", "se"}, {"serbian", "sr"}, {"sg", "sg"}, {"shona", "sn"}, {"si", "si"},
    {"sin", "si"}, {"sindhi", "sd"}, {"sinhala", "si"}, {"sinhalese", "si"}, {"sk", "sk"},
    {"sl", "sl"}, {"slk", "sk"}, {"slo", "sk"}, {"slovak", "sk"}, {"slovenian", "sl"},
    {"slv", "sl"}, {"sm", "sm"}, {"sme", "se"}, {"smo", "sm"}, {"sn", "sn"}, {"sna", "sn"},
    {"snd", "sd"}, {"so", "so"}, {"som", "so"}, {"somali", "so"}, {"sot", "st"}, {"sotho", "st"},
    {"spa", "es"}, {"spanish", "es"}, {"sq", "sq"}, {"sqi", "sq"}, {"sr", "sr"}, {"srd", "sc"},
    {"srp", "sr"}, {"ss", "ss"}, {"ssw", "ss"}, {"st", "st"}, {"su", "su"}, {"sun", "su"},
    {"sundanese", "su"}, {"sv", "sv"}, {"sw", "sw"}, {"swa", "sw"}, {"swahili", "sw"},
    {"swati", "ss"}, {"swe", "sv"}, {"swedish", "sv"}, {"ta", "ta"}, {"tagalog", "tl"},
    {"tah", "ty"}, {"tahitian", "ty"}, {"tajik", "tg"}, {"tam", "ta"}, {"tamil", "ta"},
    {"tat", "tt"}, {"tatar", "tt"}, {"te", "te"}, {"tel", "te"}, {"telugu", "te"}, {"tg", "tg"},
    {"tgk", "tg"}, {"tgl", "tl"}, {"th", "th"}, {"tha", "th"}, {"thai", "th"}, {"ti", "ti"},
    {"tib", "bo"}, {"tibetan", "bo"}, {"tigrinya", "ti"}, {"tir", "ti"}, {"tk", "tk"},
    {"tl", "tl"}, {"tn", "tn"}, {"to", "to"}, {"ton", "to"}, {"tonga", "to"}, {"tr", "tr"},
    {"ts", "ts"}, {"tsn", "tn"}, {"tso", "ts"}, {"tsonga", "ts"}, {"tswana", "tn"}, {"tt", "tt"},
    {"tuk", "tk"}, {"tur", "tr"}, {"turkish", "tr"}, {"turkmen", "tk"}, {"tw", "tw"},
    {"twi", "tw"}, {"ty", "ty"}, {"ug", "ug"}, {"uig", "ug"}, {"uighur", "ug"}, {"uk", "uk"},
    {"ukr", "uk"}, {"ukrainian", "uk"}, {"ur", "ur"}, {"urd", "ur"}, {"urdu", "ur"},
    {"uyghur", "ug"}, {"uz", "uz"}, {"uzb", "uz"}, {"uzbek", "uz"}, {"valencian", "ca"},
    {"ve", "ve"}, {"ven", "ve"}, {"venda", "ve"}, {"vi", "vi"}, {"vie", "vi"},
    {"vietnamese", "vi"}, {"vo", "vo"}, {"vol", "vo"}, {"wa", "wa"}, {"walloon", "wa"},
    {"wel", "cy"}, {"welsh", "cy"}, {"wln", "wa"}, {"wo", "wo"}, {"wol", "wo"}, {"wolof", "wo"},
    {"xh", "xh"}, {"xho", "xh"}, {"xhosa", "xh"}, {"yi", "yi"}, {"yid", "yi"}, {"yiddish", "yi"},
    {"yo", "yo"}, {"yor", "yo"}, {"yoruba", "yo"}, {"za", "za"}, {"zh", "zh"}, {"zha", "za"},
    {"zho", "zh"}, {"zhuang", "za"}, {"zu", "zu"}, {"zul", "zu"}, {"zulu", "zu"},
};
// clang-format on

constexpr bool sortedByWord()
{
    for (size_t i = 1; i < std::size(kLanguageWords); ++i) {
        if (!(kLanguageWords[i - 1].word < kLanguageWords[i].word))
            return false;
    }
    return true;
}
static_assert(sortedByWord(), "the binary search needs the words in order, each once");

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

char upperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string lowered(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), lowerAscii);
    return result;
}

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) {
        return c == ' ' || c == '\t';
    };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string LanguageCodeOfWord(std::string_view word)
{
    if (word.size() < 2 || !std::all_of(word.begin(), word.end(), isAsciiLetter))
        return {};
    const std::string key = lowered(word);
    const auto found = std::lower_bound(
        std::begin(kLanguageWords), std::end(kLanguageWords), key,
        [](const LanguageWord &row, const std::string &wanted) { return row.word < wanted; });
    if (found == std::end(kLanguageWords) || found->word != key)
        return {};
    return std::string(found->code);
}

std::string CanonicalLanguage(std::string_view text)
{
    text = trimmed(text);
    // "en_US.UTF-8@euro": the encoding and the modifier say nothing of the language.
    text = text.substr(0, std::min(text.find('.'), text.find('@')));
    std::vector<std::string_view> parts;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find('-', start), text.find('_', start));
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    if (parts.empty())
        return {};
    std::string code
        = lowered(parts.front()) == "hi" ? std::string("hi") : LanguageCodeOfWord(parts.front());
    if (code.empty() || code.find('-') != std::string::npos)
        return code;
    // The region is the first two-letter part after the language; a script ("Hant") is skipped.
    for (size_t i = 1; i < parts.size(); ++i) {
        const std::string_view part = parts[i];
        if (part.size() == 2 && isAsciiLetter(part[0]) && isAsciiLetter(part[1])) {
            code += '-';
            code += upperAscii(part[0]);
            code += upperAscii(part[1]);
            break;
        }
    }
    return code;
}

std::vector<std::string> LanguageList(std::string_view list)
{
    std::vector<std::string> codes;
    for (size_t start = 0; start <= list.size();) {
        const size_t end = list.find(',', start);
        const std::string code = CanonicalLanguage(
            list.substr(start, end == std::string_view::npos ? end : end - start));
        if (!code.empty() && std::find(codes.begin(), codes.end(), code) == codes.end())
            codes.push_back(code);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return codes;
}

std::string_view BaseLanguage(std::string_view code)
{
    return code.substr(0, code.find('-'));
}

} // namespace duvara
