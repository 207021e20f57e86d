// The subtitle font dialog on its own: what it offers, what an opening selects, how the user's
// choices reach the preview, and which ways of closing it hand a font back.
#include "presentation/font_choices.h"
#include "presentation/form_font.h"
#include "presentation/subtitle_label.h"
#include "presentation/subtitle_text.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace duvara;

namespace {

SubtitleTrackFont trackFont(const QString &family, int points, int charset = 0)
{
    QFont font(family);
    font.setPointSize(points);
    return {font, charset};
}

int sizeRow(int points)
{
    return FontSizeRowOf(points);
}

} // namespace

class TestFormFont : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void fontListHoldsTheScalableFamilies();
    void charsetRowsReadTheirCodePages_data();
    void charsetRowsReadTheirCodePages();
    void openingSelectsTheTracksRows_data();
    void openingSelectsTheTracksRows();
    void sizeNotListedKeepsTheLastRow();
    void choicesReachThePreview();
    void closingHandsBackAFontOnlyForOk_data();
    void closingHandsBackAFontOnlyForOk();
    void looksAsDesigned();

private:
    // Opens the dialog on `present` and does `action` inside it; the dialog is cancelled after
    // the action if it is still open.
    std::optional<SubtitleTrackFont> run(const SubtitleTrackFont &present,
                                         const std::function<void()> &action);

    QWidget *m_window = nullptr;
    TFormFont *m_dialog = nullptr;
};

void TestFormFont::init()
{
    m_window = new QWidget;
    m_dialog = new TFormFont(m_window);
}

void TestFormFont::cleanup()
{
    delete m_window;
}

std::optional<SubtitleTrackFont> TestFormFont::run(const SubtitleTrackFont &present,
                                                   const std::function<void()> &action)
{
    QTimer::singleShot(0, m_dialog, [this, action] {
        action();
        if (m_dialog->isVisible())
            m_dialog->reject();
    });
    return m_dialog->Choose(present, true, false);
}

void TestFormFont::fontListHoldsTheScalableFamilies()
{
    const QStringList families = ScalableFontFamilies();
    // The set-up installs it; the label's design font resolves to it.
    QVERIFY(families.contains(QStringLiteral("Liberation Sans")));
    for (const QString &family : families) {
        QVERIFY2(QFontDatabase::isSmoothlyScalable(family), qPrintable(family));
        // Named once, as a user and a settings file know it, not once for each foundry.
        QVERIFY2(!family.contains(QLatin1Char('[')), qPrintable(family));
        QCOMPARE(families.count(family), 1);
    }

    // Symbol fonts are listed in the list's own font: their own would draw no name.
    QVERIFY(WritesItsName(QStringLiteral("Liberation Sans")));
    for (const QString &symbols : QFontDatabase::families(QFontDatabase::Symbol))
        QVERIFY2(!WritesItsName(symbols), qPrintable(symbols));

    m_dialog->FormShow(trackFont(QStringLiteral("Liberation Sans"), 22), true, false);
    QStringList listed;
    for (int row = 0; row < m_dialog->CmbFnt->count(); ++row)
        listed << m_dialog->CmbFnt->itemText(row);
    QCOMPARE(listed, families);
    // A second opening lists nothing twice.
    m_dialog->FormShow(trackFont(QStringLiteral("Liberation Sans"), 22), true, false);
    QCOMPARE(m_dialog->CmbFnt->count(), families.size());
}

void TestFormFont::charsetRowsReadTheirCodePages_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("charset");
    QTest::addColumn<QString>("codePage");
    const struct
    {
        const char *text;
        int charset;
        const char *codePage;
    } rows[] = {
        {"Western ", 0, "windows-1252"},
        {"Japanese", 128, "windows-932"},
        {"Korean (Wansung)", 129, "windows-949"},
        {"Korean (Johab)", 130, ""}, // no converter knows Johab: shown as Latin-1
        {"Chinese (Mainland china)", 134, "windows-936"},
        {"Chinese (Taiwanese)", 136, "windows-950"},
        {"Greek", 161, "windows-1253"},
        {"Turkish", 162, "windows-1254"},
        {"Vietnamese", 163, "windows-1258"},
        {"Hebrew", 177, "windows-1255"},
        {"Arabic", 178, "windows-1256"},
        {"Baltic", 186, "windows-1257"},
        {"Cyrillic", 204, "windows-1251"},
        {"Thai", 222, "windows-874"},
        {"East European", 238, "windows-1250"},
    };
    int row = 0;
    for (const auto &r : rows) {
        QTest::addRow("%d %s", row, r.text)
            << row << QString::fromLatin1(r.text) << r.charset << QString::fromLatin1(r.codePage);
        ++row;
    }
}

void TestFormFont::charsetRowsReadTheirCodePages()
{
    QFETCH(int, row);
    QFETCH(QString, text);
    QFETCH(int, charset);
    QFETCH(QString, codePage);
    QCOMPARE(m_dialog->CmbChs->count(), int(kCharsetRows.size()));
    QCOMPARE(m_dialog->CmbChs->itemText(row), text);

    // Picking the row gives the track the character set, and its text that code page.
    m_dialog->FormShow(trackFont(QStringLiteral("Liberation Sans"), 22, row == 0 ? 204 : 0), true,
                       false);
    m_dialog->CmbChs->setCurrentIndex(row);
    QCOMPARE(m_dialog->PreviewFont().charset, charset);
    QCOMPARE(QString::fromLatin1(CodePageForCharset(charset)), codePage);
    QCOMPARE(CharsetRowOf(charset), row);
}

void TestFormFont::openingSelectsTheTracksRows_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("charset");
    QTest::addColumn<QString>("fontRow");
    QTest::addColumn<QString>("sizeRow");
    QTest::addColumn<QString>("charsetRow");
    QTest::addColumn<int>("outlineWidth");
    QTest::newRow("listed") << "Liberation Serif" << 20 << 204 << "Liberation Serif"
                            << "20"
                            << "Cyrillic" << 2;
    QTest::newRow("name in other case") << "liberation sans" << 36 << 238 << "Liberation Sans"
                                        << "36"
                                        << "East European" << 4;
    // Arial is only an alias of an installed face: nothing in the list is selected.
    QTest::newRow("not installed") << "Arial" << 72 << 0 << ""
                                   << "72"
                                   << "Western " << 9;
    QTest::newRow("unknown charset") << "Liberation Mono" << 8 << 2 << "Liberation Mono"
                                     << "8"
                                     << "Western " << 1;
}

void TestFormFont::openingSelectsTheTracksRows()
{
    QFETCH(QString, family);
    QFETCH(int, points);
    QFETCH(int, charset);
    QFETCH(QString, fontRow);
    QFETCH(QString, sizeRow);
    QFETCH(QString, charsetRow);
    QFETCH(int, outlineWidth);
    // The previous opening's rows must not leak into this one.
    m_dialog->FormShow(trackFont(QStringLiteral("DejaVu Sans"), 48, 161), false, true);
    m_dialog->FormShow(trackFont(family, points, charset), true, false);
    QCOMPARE(m_dialog->CmbFnt->currentText(), fontRow);
    QCOMPARE(m_dialog->CmbSize->currentText(), sizeRow);
    QCOMPARE(m_dialog->CmbChs->currentText(), charsetRow);
    const RSubtitleLabel &preview = *m_dialog->LblPrew;
    QCOMPARE(preview.font().family(), family);
    QCOMPARE(preview.font().pointSize(), points);
    QCOMPARE(int(preview.TextOutlineWidth()), outlineWidth);
    QVERIFY(preview.TextOutline());
    QVERIFY(!preview.TextShadow());
    // Opening selects without taking that for the user's choice: the font is handed back as
    // the track has it.
    QCOMPARE(m_dialog->PreviewFont().font.family(), family);
    QCOMPARE(m_dialog->PreviewFont().charset, charset);
}

void TestFormFont::sizeNotListedKeepsTheLastRow()
{
    m_dialog->FormShow(trackFont(QStringLiteral("Liberation Sans"), 36), true, false);
    m_dialog->FormShow(trackFont(QStringLiteral("Liberation Sans"), 23), true, false);
    QCOMPARE(m_dialog->CmbSize->currentText(), QStringLiteral("36"));
    // Until the user picks a size or a font, the track keeps its own size.
    QCOMPARE(m_dialog->PreviewFont().font.pointSize(), 23);
    QCOMPARE(int(m_dialog->LblPrew->TextOutlineWidth()), 3);
    m_dialog->CmbFnt->setCurrentIndex(
        m_dialog->CmbFnt->findText(QStringLiteral("Liberation Serif")));
    QCOMPARE(m_dialog->PreviewFont().font.pointSize(), 36);
}

void TestFormFont::choicesReachThePreview()
{
    m_dialog->FormShow(trackFont(QStringLiteral("Arial"), 22), true, false);
    // A size picked for a font that is not installed keeps the font's name: an empty one
    // would leave the track with whatever face the system falls back to.
    m_dialog->CmbSize->setCurrentIndex(sizeRow(48));
    QCOMPARE(m_dialog->LblPrew->font().family(), QStringLiteral("Arial"));
    QCOMPARE(m_dialog->LblPrew->font().pointSize(), 48);
    QCOMPARE(int(m_dialog->LblPrew->TextOutlineWidth()), 6);

    m_dialog->CmbFnt->setCurrentIndex(
        m_dialog->CmbFnt->findText(QStringLiteral("Liberation Serif")));
    m_dialog->CmbChs->setCurrentIndex(CharsetRowOf(177));
    const SubtitleTrackFont chosen = m_dialog->PreviewFont();
    QCOMPARE(chosen.font.family(), QStringLiteral("Liberation Serif"));
    QCOMPARE(chosen.font.pointSize(), 48);
    QCOMPARE(chosen.charset, 177);
}

void TestFormFont::closingHandsBackAFontOnlyForOk_data()
{
    QTest::addColumn<std::function<void(TFormFont *)>>("close");
    QTest::addColumn<bool>("handedBack");
    QTest::newRow("cancel") << std::function<void(TFormFont *)>([](TFormFont *d) {
        QTest::mouseClick(d->BtnCnc, Qt::LeftButton);
    }) << false;
    QTest::newRow("escape") << std::function<void(TFormFont *)>([](TFormFont *d) {
        QTest::keyClick(d, Qt::Key_Escape);
    }) << false;
    // Enter where the opening puts the focus, in the font list.
    QTest::newRow("enter") << std::function<void(TFormFont *)>([](TFormFont *d) {
        QTest::keyClick(d->focusWidget() ? d->focusWidget() : d, Qt::Key_Return);
    }) << false;
    QTest::newRow("close box") << std::function<void(TFormFont *)>([](TFormFont *d) { d->close(); })
                               << false;
    QTest::newRow("ok") << std::function<void(TFormFont *)>([](TFormFont *d) {
        QTest::mouseClick(d->BtnOK, Qt::LeftButton);
    }) << true;
}

void TestFormFont::closingHandsBackAFontOnlyForOk()
{
    QFETCH(std::function<void(TFormFont *)>, close);
    QFETCH(bool, handedBack);
    bool enterCancels = false;
    bool stillOpen = false;
    const auto chosen = run(trackFont(QStringLiteral("Liberation Sans"), 22, 0), [&] {
        // Whatever the preview shows by then.
        m_dialog->CmbSize->setCurrentIndex(sizeRow(72));
        m_dialog->CmbChs->setCurrentIndex(CharsetRowOf(204));
        enterCancels = m_dialog->BtnCnc->isDefault() && !m_dialog->BtnOK->isDefault()
            && m_dialog->focusWidget() == m_dialog->CmbFnt;
        close(m_dialog);
        stillOpen = m_dialog->isVisible();
    });
    QVERIFY(enterCancels);
    QVERIFY(!stillOpen);
    QCOMPARE(chosen.has_value(), handedBack);
    if (chosen) {
        QCOMPARE(chosen->font.pointSize(), 72);
        QCOMPARE(chosen->charset, 204);
    }
}

void TestFormFont::looksAsDesigned()
{
    m_dialog->FormShow(trackFont(QStringLiteral("Liberation Sans"), 22), true, true);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
    QCOMPARE(m_dialog->LblPrew->size(), QSize(117, 69));
    QCOMPARE(m_dialog->LblPrew->TextCaption(), QStringLiteral("AaZz123"));
    QCOMPARE(m_dialog->LblPrew->Color(), QColor(Qt::blue));
    QCOMPARE(m_dialog->LblPrew->FontColor(), QColor(Qt::white));
    QCOMPARE(m_dialog->minimumSize(), m_dialog->maximumSize());
    QCOMPARE(m_dialog->CmbSize->count(), int(kFontSizeRows.size()));
    QCOMPARE(m_dialog->CmbSize->itemText(0), QStringLiteral("8"));
    QCOMPARE(m_dialog->CmbSize->itemText(15), QStringLiteral("72"));
    // A picture to look at by eye, when asked for.
    if (const QString dir = qEnvironmentVariable("DUVARA_TEST_SNAPSHOTS"); !dir.isEmpty()) {
        m_dialog->setWindowTitle(QStringLiteral("Primary subtitles font"));
        m_dialog->grab().save(dir + QStringLiteral("/form_font.png"));
    }
}

QTEST_MAIN(TestFormFont)
#include "tst_form_font.moc"
