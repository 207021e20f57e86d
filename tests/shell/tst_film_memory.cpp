// The store of each film's subtitles: its text, the order and bound of its films, and how a
// film is recognised.
#include "shell/film_memory.h"

#include <QTest>

using namespace duvara;

namespace {

RememberedFilm film(const QString &path, qint64 size, int offset = 0)
{
    return {path,
            size,
            {RememberedTrack {QStringLiteral("/subs/%1.srt").arg(size), offset, 5'400'000, 238},
             RememberedTrack {}}};
}

} // namespace

class TestFilmMemory : public QObject
{
    Q_OBJECT
private slots:
    void textRoundTrip();
    void keepsTheMostRecentFilmsByPathAndSize();
    void refusesTextItDidNotWrite_data();
    void refusesTextItDidNotWrite();
};

void TestFilmMemory::textRoundTrip()
{
    FilmMemoryList films;
    // Names with what a line format would trip on: tabs, line breaks, quotes, non-Latin letters.
    RememberedFilm odd = film(QStringLiteral("/films/a\tb\n\"Ça\" — 映画.mkv"), 1LL << 40, -60'000);
    odd.tracks[1] = {QStringLiteral("/subs/zweite \\ Spur.sub"), 3'200, 1, 0};
    RememberFilm(films, odd);
    RememberFilm(films, film(QStringLiteral("/films/b.mp4"), 12));
    QString error;
    const auto read = ParseFilmMemory(SerialiseFilmMemory(films), &error);
    QVERIFY2(read, qPrintable(error));
    QCOMPARE(*read, films);
    QCOMPARE(read->front().path, QStringLiteral("/films/b.mp4"));
    QVERIFY(ParseFilmMemory(QByteArray(), &error)->empty());
}

void TestFilmMemory::keepsTheMostRecentFilmsByPathAndSize()
{
    FilmMemoryList films;
    for (int number = 0; number < kRememberedFilms + 5; ++number)
        RememberFilm(films, film(QStringLiteral("/films/%1.mkv").arg(number), 100 + number));
    QCOMPARE(int(films.size()), kRememberedFilms);
    QVERIFY(!RecallFilm(films, QStringLiteral("/films/4.mkv"), 104));
    QVERIFY(RecallFilm(films, QStringLiteral("/films/5.mkv"), 105));
    // Playing an old film again makes it the newest: it outlives the ones played since.
    RememberFilm(films, film(QStringLiteral("/films/5.mkv"), 105, 700));
    QCOMPARE(int(films.size()), kRememberedFilms);
    QCOMPARE(films.front().tracks[0].offsetMs, 700);
    RememberFilm(films, film(QStringLiteral("/films/new.mkv"), 1));
    QVERIFY(RecallFilm(films, QStringLiteral("/films/5.mkv"), 105));
    QVERIFY(!RecallFilm(films, QStringLiteral("/films/6.mkv"), 106));
    // Another film saved under an old one's name is not that film.
    QVERIFY(!RecallFilm(films, QStringLiteral("/films/7.mkv"), 108));
}

void TestFilmMemory::refusesTextItDidNotWrite_data()
{
    QTest::addColumn<QByteArray>("text");
    const QByteArray good = SerialiseFilmMemory({film(QStringLiteral("/f.mkv"), 7)});
    QTest::newRow("cut short") << good.left(good.size() / 2);
    QTest::newRow("not JSON") << QByteArray("/f.mkv\t7\n");
    QTest::newRow("another format") << QByteArray(good).replace("\"format\": 1", "\"format\": 2");
    QTest::newRow("offset as text")
        << QByteArray(good).replace("\"offset\": 0", "\"offset\": \"0\"");
    QTest::newRow("one track") << QByteArray(
        R"({"format":1,"films":[{"path":"/f","size":1,"tracks":[{"file":"","offset":0,"span":0,"charset":0}]}]})");
}

void TestFilmMemory::refusesTextItDidNotWrite()
{
    QFETCH(QByteArray, text);
    QString error;
    QVERIFY(!ParseFilmMemory(text, &error));
    QVERIFY2(!error.isEmpty(), "a refusal without a reason");
}

QTEST_APPLESS_MAIN(TestFilmMemory)
#include "tst_film_memory.moc"
