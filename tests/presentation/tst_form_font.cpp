// The subtitle font dialog on its own: what it offers and what an opening and the user's
// choices put into the preview, which is what OK hands back.
#include "presentation/form_font.h"
#include "presentation/subtitle_label.h"
#include "presentation/subtitle_text.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QTest>

using namespace duvara;

namespace {
SubtitleTrackFont trackFont(const QString &family, int points, int charset = 0)
{
    QFont font(family);
    font.setPointSize(points);
    return {font, charset};
}
} // namespace

Q_DECLARE_METATYPE(duvara::SubtitleTrackFont)

class TestFormFont : public QObject
{
    Q_OBJECT
private slots:
    void fontListHoldsEachScalableFamilyOnce();
    void charsetRowsReadTheirCodePages();
    void openingSelectsTheTracksRows_data();
    void openingSelectsTheTracksRows();
    void sizeNotListedKeepsTheLastRowAndTheFontsName();

private:
    TFormFont m_dialog;
};

void TestFormFont::fontListHoldsEachScalableFamilyOnce()
{
    const QStringList families = ScalableFontFamilies();
    QVERIFY(families.contains(QStringLiteral("Liberation Sans"))); // installed by the set-up
    for (const QString &family : families) {
        QVERIFY2(QFontDatabase::isSmoothlyScalable(family), qPrintable(family));
        // As a user and a settings file name it, not once for each foundry.
        QVERIFY2(!family.contains(QLatin1Char('[')) && families.count(family) == 1,
                 qPrintable(family));
    }
    for (const QString &symbols : QFontDatabase::families(QFontDatabase::Symbol))
        QVERIFY2(!WritesItsName(symbols), qPrintable(symbols));
    m_dialog.FormShow(trackFont(QStringLiteral("Liberation Sans"), 22), true, false);
    m_dialog.FormShow(trackFont(QStringLiteral("Liberation Sans"), 22), true, false);
    QCOMPARE(m_dialog.CmbFnt->count(), families.size());
}

void TestFormFont::charsetRowsReadTheirCodePages()
{
    // Johab has no converter here: such text shows as Latin-1.
    const char *const codePages[] = {"1252", "932",  "949",  nullptr, "936",  "950", "1253", "1254",
                                     "1258", "1255", "1256", "1257",  "1251", "874", "1250"};
    QCOMPARE(m_dialog.CmbChs->count(), 15);
    QCOMPARE(m_dialog.CmbChs->itemText(0), QStringLiteral("Western "));
    m_dialog.FormShow(trackFont(QStringLiteral("Liberation Sans"), 22, 204), true, false);
    for (int row = 0; row < 15; ++row) {
        m_dialog.CmbChs->setCurrentIndex(row == 0 ? 1 : 0);
        m_dialog.CmbChs->setCurrentIndex(row);
        const int charset = m_dialog.PreviewFont().charset;
        QCOMPARE(CharsetRowOf(charset), row);
        const char *codePage = CodePageForCharset(charset);
        QCOMPARE(QString::fromLatin1(codePage),
                 codePages[row] ? QStringLiteral("windows-") + QLatin1String(codePages[row])
                                : QString());
    }
}

void TestFormFont::openingSelectsTheTracksRows_data()
{
    QTest::addColumn<SubtitleTrackFont>("font");
    QTest::addColumn<QStringList>("rows"); // font, size, charset
    QTest::addColumn<int>("outlineWidth");
    QTest::newRow("listed") << trackFont("Liberation Serif", 20, 204)
                            << QStringList {"Liberation Serif", "20", "Cyrillic"} << 2;
    QTest::newRow("other case") << trackFont("liberation sans", 36, 238)
                                << QStringList {"Liberation Sans", "36", "East European"} << 4;
    QTest::newRow("alias only") << trackFont("Arial", 72, 2) << QStringList {"", "72", "Western "}
                                << 9;
}

void TestFormFont::openingSelectsTheTracksRows()
{
    QFETCH(SubtitleTrackFont, font);
    QFETCH(QStringList, rows);
    QFETCH(int, outlineWidth);
    m_dialog.FormShow(trackFont(QStringLiteral("DejaVu Sans"), 48, 161), false, true);
    m_dialog.FormShow(font, true, false);
    QCOMPARE(QStringList({m_dialog.CmbFnt->currentText(), m_dialog.CmbSize->currentText(),
                          m_dialog.CmbChs->currentText()}),
             rows);
    QCOMPARE(int(m_dialog.LblPrew->TextOutlineWidth()), outlineWidth);
    QVERIFY(m_dialog.LblPrew->TextOutline() && !m_dialog.LblPrew->TextShadow());
    // Selecting rows is not taken for the user's choice: the font stays as the track has it.
    QCOMPARE(m_dialog.PreviewFont().font, font.font);
    QCOMPARE(m_dialog.PreviewFont().charset, font.charset);
}

void TestFormFont::sizeNotListedKeepsTheLastRowAndTheFontsName()
{
    m_dialog.FormShow(trackFont(QStringLiteral("Liberation Sans"), 36), true, false);
    m_dialog.FormShow(trackFont(QStringLiteral("Arial"), 23), true, false);
    QCOMPARE(m_dialog.CmbSize->currentText(), QStringLiteral("36"));
    QCOMPARE(m_dialog.PreviewFont().font.pointSize(), 23);
    // Picking a size for a font the list lacks keeps its name rather than an empty one.
    m_dialog.CmbSize->setCurrentIndex(m_dialog.CmbSize->findText(QStringLiteral("48")));
    QCOMPARE(m_dialog.PreviewFont().font.family(), QStringLiteral("Arial"));
    QCOMPARE(m_dialog.PreviewFont().font.pointSize(), 48);
    QCOMPARE(int(m_dialog.LblPrew->TextOutlineWidth()), 6);
}

QTEST_MAIN(TestFormFont)
#include "tst_form_font.moc"
