// Which files beside a film are its subtitles, which language each names, and which two go to
// the tracks under each choice of languages.
#include "subtitles/language_tags.h"
#include "subtitles/subtitle_discovery.h"

#include <QTest>

using namespace duvara;

namespace {

std::vector<std::string> names(const QStringList &list)
{
    std::vector<std::string> result;
    for (const QString &name : list)
        result.push_back(name.toStdString());
    return result;
}

QString chosen(const std::vector<SubtitleCandidate> &candidates, std::optional<size_t> index)
{
    return index ? QString::fromStdString(candidates[*index].name) : QStringLiteral("-");
}

const QStringList kIssueFolder {QStringLiteral("film.mp4"), QStringLiteral("film.en.srt"),
                                QStringLiteral("film.de.srt"), QStringLiteral("film.srt")};

} // namespace

class TestSubtitleDiscovery : public QObject
{
    Q_OBJECT
private slots:
    void candidates_data();
    void candidates();
    void namesKeepTheirBytes();
    void languages_data();
    void languages();
    void settingLists_data();
    void settingLists();
    void choice_data();
    void choice();
    void retryWithoutAnUnreadableFileMovesOn();
};

void TestSubtitleDiscovery::candidates_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QStringList>("folder");
    // "name=language" in name order; "name=" for a name without a language.
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("the issue's folder")
        << "film" << kIssueFolder << QStringList {"film.de.srt=de", "film.en.srt=en", "film.srt="};
    QTest::newRow("another film's name is no match")
        << "film" << QStringList {"film2.srt", "films.en.srt", "filmen.srt",  "other.en.srt",
                                  "fil.srt",   "film.srt.bak", "film.en.ass", "film.en"}
        << QStringList {};
    QTest::newRow("every separator")
        << "film"
        << QStringList {"film_ru.srt", "film-pt-BR.srt", "film ja.sub", "film.deu.sub", "film.txt"}
        << QStringList {"film ja.sub=ja", "film-pt-BR.srt=pt-BR", "film.deu.sub=de",
                        "film.txt=", "film_ru.srt=ru"};
    QTest::newRow("case of base name and extension")
        << "Film" << QStringList {"FILM.EN.SRT", "film.De.Sub", "Film.Txt"}
        << QStringList {"FILM.EN.SRT=en", "Film.Txt=", "film.De.Sub=de"};
    QTest::newRow("a base name with dots and brackets")
        << "The.Film.(2019)"
        << QStringList {"The.Film.(2019).mkv", "The.Film.(2019).fre.srt", "The.Film.srt",
                        "the.film.(2019) [es].srt", "The.Film.(2019)[it].srt"}
        << QStringList {"The.Film.(2019).fre.srt=fr", "the.film.(2019) [es].srt=es"};
    QTest::newRow("no base name finds nothing")
        << "" << QStringList {".srt", ".en.srt"} << QStringList {};
}

void TestSubtitleDiscovery::candidates()
{
    QFETCH(QString, base);
    QFETCH(QStringList, folder);
    QFETCH(QStringList, expected);
    QStringList found;
    for (const SubtitleCandidate &candidate :
         FindSubtitleCandidates(base.toStdString(), names(folder)))
        found << QString::fromStdString(candidate.name + "=" + candidate.language);
    QCOMPARE(found, expected);
}

// A name from an older system, in Latin-1: matched, tagged and given back byte for byte.
void TestSubtitleDiscovery::namesKeepTheirBytes()
{
    const std::string base = "caf\xe9";
    const std::string sub = "caf\xe9.fr.srt";
    const std::string untagged = "caf\xe9.\xe9t\xe9.srt";
    const auto found = FindSubtitleCandidates(base, {"caf\xe9.avi", untagged, sub, "cafe.fr.srt"});
    QCOMPARE(found.size(), size_t(2));
    QVERIFY(found[0] == (SubtitleCandidate {sub, "fr", false}));
    QVERIFY(found[1] == (SubtitleCandidate {untagged, "", false}));
}

void TestSubtitleDiscovery::languages_data()
{
    QTest::addColumn<QString>("tail");
    QTest::addColumn<QString>("language");

    QTest::newRow("639-1") << ".en"
                           << "en";
    QTest::newRow("639-2/T") << ".deu"
                             << "de";
    QTest::newRow("639-2/B") << ".ger"
                             << "de";
    QTest::newRow("B differs from T") << ".chi"
                                      << "zh";
    QTest::newRow("English name") << ".English"
                                  << "en";
    QTest::newRow("name in capitals") << "_FRENCH"
                                      << "fr";
    QTest::newRow("region joined by a hyphen") << "-pt-BR"
                                               << "pt-BR";
    QTest::newRow("region in small letters") << ".pt_br"
                                             << "pt-BR";
    QTest::newRow("region named by the code") << ".pob"
                                              << "pt-BR";
    QTest::newRow("forced after the language") << ".en.forced"
                                               << "en";
    QTest::newRow("forced before the language") << ".forced.en"
                                                << "en";
    QTest::newRow("sdh is no language") << ".sdh"
                                        << "";
    QTest::newRow("hi marks the hard of hearing") << ".hi"
                                                  << "";
    QTest::newRow("hi after a language is no region") << ".en-hi"
                                                      << "en";
    QTest::newRow("Hindi by its other names") << ".hin"
                                              << "hi";
    QTest::newRow("cc is no language") << ".cc"
                                       << "";
    QTest::newRow("a year and a version") << ".2019.final"
                                          << "";
    QTest::newRow("brackets") << " [it]"
                              << "it";
    QTest::newRow("two languages: the first") << ".es.en"
                                              << "es";
    QTest::newRow("no tail") << ""
                             << "";
}

void TestSubtitleDiscovery::languages()
{
    QFETCH(QString, tail);
    QFETCH(QString, language);
    QCOMPARE(QString::fromStdString(LanguageOfNameTail(tail.toStdString())), language);
}

// What the settings' lists and the desktop's locale names come to.
void TestSubtitleDiscovery::settingLists_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("codes");

    QTest::newRow("codes and names") << "de, eng ,French"
                                     << "de,en,fr";
    QTest::newRow("regions, repeats") << "pt_BR,pt-br, PT-BR,pt"
                                      << "pt-BR,pt";
    QTest::newRow("script skipped") << "zh-Hant-TW"
                                    << "zh-TW";
    QTest::newRow("a locale name") << "en_US.UTF-8@euro"
                                   << "en-US";
    QTest::newRow("hi is Hindi here") << "hi"
                                      << "hi";
    QTest::newRow("no language") << "C, POSIX, Klingon, , xx"
                                 << "";
}

void TestSubtitleDiscovery::settingLists()
{
    QFETCH(QString, list);
    QFETCH(QString, codes);
    QStringList found;
    for (const std::string &code : LanguageList(list.toStdString()))
        found << QString::fromStdString(code);
    QCOMPARE(found.join(QLatin1Char(',')), codes);
}

void TestSubtitleDiscovery::choice_data()
{
    QTest::addColumn<QStringList>("folder");
    QTest::addColumn<QString>("primarySetting");
    QTest::addColumn<QString>("secondarySetting");
    QTest::addColumn<QString>("desktop");
    // The file each track holds before; "-" for none, "*" for a file from elsewhere.
    QTest::addColumn<QString>("heldPrimary");
    QTest::addColumn<QString>("heldSecondary");
    QTest::addColumn<QString>("primary");
    QTest::addColumn<QString>("secondary");

    const QString none = QStringLiteral("-");
    // The issue's film: film.en.srt, film.de.srt and film.srt beside film.mp4.
    QTest::newRow("desktop en") << kIssueFolder << ""
                                << ""
                                << "en_US.UTF-8" << none << none << "film.en.srt"
                                << "film.de.srt";
    QTest::newRow("desktop de") << kIssueFolder << ""
                                << ""
                                << "de-DE" << none << none << "film.de.srt"
                                << "film.en.srt";
    QTest::newRow("desktop names none: English") << kIssueFolder << ""
                                                 << ""
                                                 << "C" << none << none << "film.en.srt"
                                                 << "film.de.srt";
    QTest::newRow("Primary=de") << kIssueFolder << "de"
                                << ""
                                << "en" << none << none << "film.de.srt"
                                << "film.en.srt";
    QTest::newRow("Primary=de Secondary=en") << kIssueFolder << "de"
                                             << "en"
                                             << "fr" << none << none << "film.de.srt"
                                             << "film.en.srt";
    QTest::newRow("Primary=en Secondary=de") << kIssueFolder << "en"
                                             << "de"
                                             << "en" << none << none << "film.en.srt"
                                             << "film.de.srt";
    QTest::newRow("Primary=fr, no fr file: untagged is fr") << kIssueFolder << "fr"
                                                            << ""
                                                            << "en" << none << none << "film.srt"
                                                            << "film.en.srt";
    QTest::newRow("desktop fr, no fr file") << kIssueFolder << ""
                                            << ""
                                            << "fr" << none << none << "film.srt"
                                            << "film.de.srt";
    QTest::newRow("Primary=fr,de: the second choice") << kIssueFolder << "fr, German"
                                                      << ""
                                                      << "en" << none << none << "film.de.srt"
                                                      << "film.en.srt";
    QTest::newRow("Secondary=ru, no ru file") << kIssueFolder << ""
                                              << "ru"
                                              << "en" << none << none << "film.en.srt"
                                              << "film.de.srt";
    QTest::newRow("Secondary=und: unknown entries are left out")
        << kIssueFolder << "xx"
        << "und"
        << "de" << none << none << "film.de.srt"
        << "film.en.srt";
    QTest::newRow("same language wanted twice: not the same file")
        << kIssueFolder << "en"
        << "en"
        << "en" << none << none << "film.en.srt"
        << "film.de.srt";

    const QStringList untaggedOnly {"film.srt", "film.sub"};
    QTest::newRow("only untagged files: both, in name order") << untaggedOnly << ""
                                                              << ""
                                                              << "en" << none << none << "film.srt"
                                                              << "film.sub";
    const QStringList englishAndUntagged {"film.en.srt", "film.srt"};
    QTest::newRow("untagged as the next candidate") << englishAndUntagged << ""
                                                    << ""
                                                    << "en" << none << none << "film.en.srt"
                                                    << "film.srt";
    const QStringList englishTwice {"film.en.srt", "film.en.sdh.srt"};
    QTest::newRow("plain before SDH; no second file in the primary's language")
        << englishTwice << ""
        << ""
        << "en" << none << none << "film.en.srt" << none;
    const QStringList forcedGerman {"film.de.forced.srt", "film.de.srt", "film.en.srt"};
    QTest::newRow("plain before forced") << forcedGerman << "de"
                                         << ""
                                         << "en" << none << none << "film.de.srt"
                                         << "film.en.srt";
    const QStringList foreignOnly {"film.de.srt", "film.fr.srt"};
    QTest::newRow("nothing in the primary's language: it takes the first")
        << foreignOnly << ""
        << ""
        << "en" << none << none << "film.de.srt"
        << "film.fr.srt";
    QTest::newRow("the secondary's choice comes before the primary's fallback")
        << foreignOnly << "en"
        << "de"
        << "en" << none << none << "film.fr.srt"
        << "film.de.srt";
    const QStringList portuguese {"film.pt-BR.srt", "film.pt-PT.srt", "film.es.srt"};
    QTest::newRow("region as wanted") << portuguese << "pt-PT"
                                      << "es"
                                      << "en" << none << none << "film.pt-PT.srt"
                                      << "film.es.srt";
    QTest::newRow("language in another region")
        << QStringList {"film.pt-BR.srt", "film.es.srt"} << "pt_PT"
        << ""
        << "en" << none << none << "film.pt-BR.srt"
        << "film.es.srt";
    QTest::newRow("one file for two tracks") << QStringList {"film.srt"} << ""
                                             << ""
                                             << "en" << none << none << "film.srt" << none;
    QTest::newRow("nothing beside the film") << QStringList {"film.mp4"} << ""
                                             << ""
                                             << "en" << none << none << none << none;

    // A track already filled (by hand, or remembered for the film) keeps its file.
    QTest::newRow("primary held by a file from elsewhere") << kIssueFolder << ""
                                                           << ""
                                                           << "en"
                                                           << "*" << none << none << "film.de.srt";
    QTest::newRow("primary held by a German candidate")
        << kIssueFolder << ""
        << ""
        << "en"
        << "film.de.srt" << none << none << "film.en.srt";
    QTest::newRow("secondary holds the primary's file") << kIssueFolder << ""
                                                        << ""
                                                        << "en" << none << "film.en.srt"
                                                        << "film.srt" << none;
    QTest::newRow("both held") << kIssueFolder << ""
                               << ""
                               << "en"
                               << "*"
                               << "*" << none << none;
}

void TestSubtitleDiscovery::choice()
{
    QFETCH(QStringList, folder);
    QFETCH(QString, primarySetting);
    QFETCH(QString, secondarySetting);
    QFETCH(QString, desktop);
    QFETCH(QString, heldPrimary);
    QFETCH(QString, heldSecondary);
    QFETCH(QString, primary);
    QFETCH(QString, secondary);

    const auto candidates = FindSubtitleCandidates("film", names(folder));
    const SubtitlePreferences preferences = PreferencesWithDesktop(
        LanguageList(primarySetting.toStdString()), LanguageList(secondarySetting.toStdString()),
        CanonicalLanguage(desktop.toStdString()));
    const auto held = [](const QString &name) {
        return name == QLatin1String("-")
            ? HeldTrack {}
            : HeldTrack {true, name == QLatin1String("*") ? std::string() : name.toStdString()};
    };
    const SubtitleChoice choice
        = ChooseSubtitleFiles(candidates, preferences, held(heldPrimary), held(heldSecondary));
    QCOMPARE(chosen(candidates, choice.primary), primary);
    QCOMPARE(chosen(candidates, choice.secondary), secondary);
}

// The player drops a file it cannot read and asks again: the next file takes its place.
void TestSubtitleDiscovery::retryWithoutAnUnreadableFileMovesOn()
{
    auto candidates = FindSubtitleCandidates("film", names(kIssueFolder));
    const SubtitlePreferences preferences = PreferencesWithDesktop({}, {}, "en");
    SubtitleChoice choice = ChooseSubtitleFiles(candidates, preferences);
    QCOMPARE(chosen(candidates, choice.primary), QStringLiteral("film.en.srt"));
    candidates.erase(candidates.begin() + std::ptrdiff_t(*choice.primary));
    choice = ChooseSubtitleFiles(candidates, preferences);
    QCOMPARE(chosen(candidates, choice.primary), QStringLiteral("film.srt"));
    QCOMPARE(chosen(candidates, choice.secondary), QStringLiteral("film.de.srt"));
}

QTEST_APPLESS_MAIN(TestSubtitleDiscovery)
#include "tst_subtitle_discovery.moc"
