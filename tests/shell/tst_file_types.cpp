// Binding file types: the edits of mimeapps.list, the MIME types behind the extensions, the
// desktop entry, and the dialog that binds through them. Every test works in a temporary
// XDG_CONFIG_HOME and XDG_DATA_HOME.
#include "shell/file_types.h"
#include "shell/form_file.h"
#include "shell/mime_apps_list.h"
#include "support/file_size_limit.h"
#include "window_test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace duvara;

namespace {

const QByteArray kOurs = kDesktopId;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QStringList extensionsOfRow(int row)
{
    QStringList extensions;
    for (const char *extension : kFileTypeGroups.at(static_cast<std::size_t>(row)).extensions) {
        if (extension)
            extensions << QString::fromLatin1(extension);
    }
    return extensions;
}

// Reads and closes every error box that comes up while it lives.
class ErrorBoxes
{
public:
    ErrorBoxes()
    {
        m_poll.setInterval(5);
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->accept();
            }
        });
        m_poll.start();
    }
    QStringList texts;

private:
    QTimer m_poll;
};

} // namespace

class TestFileTypes : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void editMimeApps_data();
    void editMimeApps();
    void bindThenUnbindRestores_data();
    void bindThenUnbindRestores();

    void extensionTypesAgreeWithMimeDatabase_data();
    void extensionTypesAgreeWithMimeDatabase();
    void desktopEntryListsEveryBoundType();

    void okWithNothingCheckedLeavesNoDefaultOfOurs_data();
    void okWithNothingCheckedLeavesNoDefaultOfOurs();
    void movieRowBindsElevenExtensions();
    void sharedTypeStaysWithCheckedGroup();
    void cancelRestoresChecksOfOpening_data();
    void cancelRestoresChecksOfOpening();
    void loadedChecksShowAndBindNothingUntilOk();
    void unwritableListGivesErrorAndStaysWhole_data();
    void unwritableListGivesErrorAndStaysWhole();
    void failedWriteStopsBeforeLaterExtensions();
    void menuItemOpensDialogOverCoveredVideo();

private:
    QString mimeApps() const { return m_config + QStringLiteral("/mimeapps.list"); }
    QByteArrayList defaults(const QString &mimeType) const
    {
        return MimeAppsList(readAll(mimeApps()))
            .desktopIds(kDefaultApplications, mimeType.toLatin1());
    }

    std::unique_ptr<QTemporaryDir> m_home;
    QString m_config;
    std::unique_ptr<TFormFile> m_dialog;
};

void TestFileTypes::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    m_config = m_home->filePath(QStringLiteral("config"));
    QVERIFY(QDir().mkpath(m_config));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home->filePath(QStringLiteral("data"))));
    QCOMPARE(MimeAppsListPath(), mimeApps());
    m_dialog = std::make_unique<TFormFile>();
}

void TestFileTypes::cleanup()
{
    m_dialog.reset();
    m_home.reset();
}

// --- mimeapps.list as text ---------------------------------------------------------------------

// Rows write our desktop id as "@" and other programs as single letters.
void TestFileTypes::editMimeApps_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("bind");
    QTest::addColumn<QByteArrayList>("types");
    QTest::addColumn<QByteArray>("after");
    const QByteArrayList mp4 {"video/mp4"};
    const QByteArray busy(
        "# mine\n[Default Applications]\ntext/plain=g;\n# films\nvideo/mp4=@;v;\n\n"
        "# never offered\n[Removed Associations]\nvideo/mp4=@;\naudio/midi=@;\n"
        "[Added Associations]\nvideo/mp4=@;v;\nName[de]=\xc3\xa4 \xff\n");

    QTest::newRow("missing file") << QByteArray() << true << mp4
                                  << QByteArray("[Default Applications]\nvideo/mp4=@;\n\n"
                                                "[Added Associations]\nvideo/mp4=@;\n");
    QTest::newRow("missing file, unbind") << QByteArray() << false << mp4 << QByteArray();
    QTest::newRow("missing group, no last line ending")
        << QByteArray("[Added Associations]\nvideo/mp4=v;") << true << mp4
        << QByteArray(
               "[Added Associations]\nvideo/mp4=v;@;\n\n[Default Applications]\nvideo/mp4=@;\n");
    QTest::newRow("other defaults stay behind ours")
        << QByteArray("[Default Applications]\nvideo/mp4=v;m\n[Added Associations]\nvideo/mp4=@\n")
        << true << mp4
        << QByteArray(
               "[Default Applications]\nvideo/mp4=@;v;m;\n[Added Associations]\nvideo/mp4=@\n");
    QTest::newRow("unbind leaves another default as written")
        << QByteArray("[Default Applications]\nvideo/mp4 = v\n") << false << mp4
        << QByteArray("[Default Applications]\nvideo/mp4 = v\n");
    QTest::newRow("duplicate ids, bind")
        << QByteArray(
               "[Default Applications]\nvideo/mp4=v;@;m;@;\n[Added Associations]\nvideo/mp4=@\n")
        << true << mp4
        << QByteArray(
               "[Default Applications]\nvideo/mp4=@;v;m;\n[Added Associations]\nvideo/mp4=@\n");
    QTest::newRow("duplicate ids and keys, unbind")
        << QByteArray("[Default Applications]\nvideo/mp4=@;v;@;\nvideo/mp4=@;\n") << false << mp4
        << QByteArray("[Default Applications]\nvideo/mp4=v;\n");
    QTest::newRow("comments and other groups, unbind")
        << busy << false << QByteArrayList {"video/mp4", "audio/midi"}
        << QByteArray("# mine\n[Default Applications]\ntext/plain=g;\n# films\nvideo/mp4=v;\n\n"
                      "# never offered\n[Removed Associations]\nvideo/mp4=@;\naudio/midi=@;\n"
                      "[Added Associations]\nvideo/mp4=v;\nName[de]=\xc3\xa4 \xff\n");
    QTest::newRow("a new key goes after the last key, not after the next group's comment")
        << busy << true << QByteArrayList {"audio/midi"}
        << QByteArray("# mine\n[Default Applications]\ntext/plain=g;\n# films\nvideo/mp4=@;v;\n"
                      "audio/midi=@;\n\n# never offered\n[Removed Associations]\nvideo/mp4=@;\n"
                      "audio/midi=@;\n[Added Associations]\nvideo/mp4=@;v;\n"
                      "Name[de]=\xc3\xa4 \xff\naudio/midi=@;\n");
    QTest::newRow("CRLF lines stay CRLF")
        << QByteArray("[Default Applications]\r\ntext/plain=g;\r\n") << true << mp4
        << QByteArray("[Default Applications]\r\ntext/plain=g;\r\nvideo/mp4=@;\r\n\r\n"
                      "[Added Associations]\r\nvideo/mp4=@;\r\n");
}

void TestFileTypes::editMimeApps()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, bind);
    QFETCH(QByteArrayList, types);
    QFETCH(QByteArray, after);
    before.replace('@', kOurs);
    after.replace('@', kOurs);

    MimeAppsList list(before);
    for (const QByteArray &type : types) {
        if (bind) {
            list.putFirst(kDefaultApplications, type, kOurs);
            list.add(kAddedAssociations, type, kOurs);
        } else {
            list.remove(kDefaultApplications, type, kOurs);
            list.remove(kAddedAssociations, type, kOurs);
        }
    }
    QCOMPARE(list.text(), after);
}

void TestFileTypes::bindThenUnbindRestores_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("another default")
        << QByteArray("# mine\n[Default Applications]\nvideo/mp4=vlc.desktop;\n");
    QTest::newRow("both groups") << QByteArray(
        "[Default Applications]\nvideo/mp4=vlc.desktop;\n\n"
        "[Added Associations]\nvideo/mp4=vlc.desktop;mpv.desktop;\n");
}

// Through the files, so that the write and the skipped write are covered too.
void TestFileTypes::bindThenUnbindRestores()
{
    QFETCH(QByteArray, text);
    if (!text.isNull())
        QVERIFY(writeAll(mimeApps(), text));
    AssociateExtension(QStringLiteral("mp4"), true);
    QCOMPARE(defaults(QStringLiteral("video/mp4")).value(0), kOurs);
    QCOMPARE(defaults(QStringLiteral("audio/mp4")).value(0), kOurs);
    AssociateExtension(QStringLiteral("mp4"), false);
    QCOMPARE(readAll(mimeApps()), text);
}

// --- the MIME types behind the extensions and the desktop entry --------------------------------

void TestFileTypes::extensionTypesAgreeWithMimeDatabase_data()
{
    QTest::addColumn<QString>("extension");
    int count = 0;
    for (std::size_t row = 0; row < kFileTypeGroups.size(); ++row) {
        for (const QString &extension : extensionsOfRow(static_cast<int>(row))) {
            QTest::newRow(qPrintable(extension)) << extension;
            ++count;
        }
    }
    QCOMPARE(count, 22);
}

void TestFileTypes::extensionTypesAgreeWithMimeDatabase()
{
    QFETCH(QString, extension);
    const QStringList table = MimeTypesForExtension(extension);
    QVERIFY(!table.isEmpty());
    const QMimeDatabase database;
    // Each a type the desktop knows, under its own name rather than an alias it would not match.
    for (const QString &type : table) {
        const QMimeType known = database.mimeTypeForName(type);
        QVERIFY2(known.isValid(), qPrintable(type));
        QCOMPARE(known.name(), type);
    }
    // Whatever type the desktop takes a file of this name for opens with the player once bound.
    for (const QMimeType &type : database.mimeTypesForFileName(QStringLiteral("film.") + extension))
        QVERIFY2(table.contains(type.name()), qPrintable(type.name()));
}

void TestFileTypes::desktopEntryListsEveryBoundType()
{
    const QString path = QStringLiteral(DUVARA_DESKTOP_ENTRY);
    QCOMPARE(QFileInfo(path).fileName(), QString::fromLatin1(kDesktopId));
    const QByteArray entry = readAll(path);
    QVERIFY(!entry.isEmpty());
    QByteArrayList listed;
    for (const QByteArray &line : entry.split('\n')) {
        if (line.startsWith("MimeType="))
            listed = line.mid(9).split(';');
    }
    for (const QString &type : AllFileTypeMimeTypes())
        QVERIFY2(listed.contains(type.toLatin1()), qPrintable(type));
    QVERIFY(AllFileTypeMimeTypes().contains(QStringLiteral("audio/mp4")));
}

// --- the dialog --------------------------------------------------------------------------------

void TestFileTypes::okWithNothingCheckedLeavesNoDefaultOfOurs_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    const QByteArray others("# by hand\n[Default Applications]\nvideo/mpeg=v;\ntext/plain=g;\n\n"
                            "[Added Associations]\nvideo/x-msvideo=v;m;\n");
    QTest::newRow("none of ours: the file is not rewritten") << others << others;
    QTest::newRow("ours go, the rest stays byte for byte")
        << QByteArray("# by hand\n[Default Applications]\nvideo/mpeg=@;v;\ntext/plain=g;\n"
                      "audio/midi=@;\n\n[Added Associations]\nvideo/x-msvideo=v;@;m;\n"
                      "audio/mpeg=@;\n")
        << others;
}

void TestFileTypes::okWithNothingCheckedLeavesNoDefaultOfOurs()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QVERIFY(writeAll(mimeApps(), before.replace('@', kOurs)));
    // A second name for the file: a rewrite puts a new file in place and leaves it alone.
    const QByteArray name = QFile::encodeName(mimeApps());
    QCOMPARE(::link(name.constData(), (name + ".link").constData()), 0);

    m_dialog->show();
    QTest::mouseClick(m_dialog->BtnOK, Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(readAll(mimeApps()), after.replace('@', kOurs));
    struct stat now = {};
    QCOMPARE(::stat(name.constData(), &now), 0);
    QCOMPARE(now.st_nlink == 2, before == after);
}

void TestFileTypes::movieRowBindsElevenExtensions()
{
    m_dialog->show();
    QTest::mouseClick(m_dialog->ChkFile[1], Qt::LeftButton);
    QTest::mouseClick(m_dialog->BtnOK, Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());

    const QStringList movies = extensionsOfRow(1);
    QCOMPARE(movies.size(), 11);
    for (const QString &extension : movies) {
        for (const QString &type : MimeTypesForExtension(extension))
            QVERIFY2(defaults(type).value(0) == kOurs, qPrintable(extension + ' ' + type));
    }
    QVERIFY(MimeTypesForExtension(QStringLiteral("mp4")).contains(QStringLiteral("audio/mp4")));
    for (const char *type : {"video/x-msvideo", "audio/x-wav", "audio/midi"})
        QVERIFY2(defaults(QLatin1String(type)).isEmpty(), type);
}

// mpa (movies) and mp3 (MP3 audio) are both audio/mpeg: unbinding mp3 must not take mpa's.
void TestFileTypes::sharedTypeStaysWithCheckedGroup()
{
    AssociateFileTypes({false, true, false, false, true, false});
    QCOMPARE(defaults(QStringLiteral("audio/mpeg")).value(0), kOurs);
    AssociateFileTypes({false, true, false, false, false, false});
    QCOMPARE(defaults(QStringLiteral("audio/mpeg")).value(0), kOurs);
    AssociateFileTypes({false, false, false, false, false, false});
    QVERIFY(!readAll(mimeApps()).contains(kOurs));
}

void TestFileTypes::cancelRestoresChecksOfOpening_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << QStringLiteral("Cancel");
    QTest::newRow("Escape") << QStringLiteral("Escape");
    QTest::newRow("close box") << QStringLiteral("close box");
}

void TestFileTypes::cancelRestoresChecksOfOpening()
{
    QFETCH(QString, how);
    const FileTypeChecks opening {true, false, false, true, false, false};
    for (int row = 0; row < 6; ++row)
        m_dialog->setRowChecked(row, opening[static_cast<std::size_t>(row)]);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    QTest::mouseClick(m_dialog->BtnAll, Qt::LeftButton);
    for (QCheckBox *check : m_dialog->ChkFile)
        QVERIFY(check->isChecked());

    if (how == QLatin1String("Cancel"))
        QTest::mouseClick(m_dialog->BtnCancel, Qt::LeftButton);
    else if (how == QLatin1String("Escape"))
        QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    else
        m_dialog->close();

    QVERIFY(!m_dialog->isVisible());
    for (int row = 0; row < 6; ++row)
        QCOMPARE(m_dialog->rowChecked(row), opening[static_cast<std::size_t>(row)]);
    QVERIFY(!QFile::exists(mimeApps()));
}

// The settings file restores the checks at start; binding waits for the user's OK.
void TestFileTypes::loadedChecksShowAndBindNothingUntilOk()
{
    m_dialog->setRowChecked(4, true);
    m_dialog->show();
    QVERIFY(m_dialog->ChkFile[4]->isChecked());
    QVERIFY(!m_dialog->ChkFile[0]->isChecked());
    QVERIFY(!QFile::exists(mimeApps()));
    QTest::keyClick(m_dialog.get(), Qt::Key_Return); // OK is the default button
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(defaults(QStringLiteral("audio/mpeg")).value(0), kOurs);
    QCOMPARE(defaults(QStringLiteral("audio/x-mpegurl")).value(0), kOurs);
    QVERIFY(defaults(QStringLiteral("video/mp4")).isEmpty());
}

void TestFileTypes::unwritableListGivesErrorAndStaysWhole_data()
{
    QTest::addColumn<bool>("folderInPlace");
    QTest::newRow("a folder in its place") << true;
    QTest::newRow("its folder is a file") << false; // stops root too, whom no permission stops
}

void TestFileTypes::unwritableListGivesErrorAndStaysWhole()
{
    QFETCH(bool, folderInPlace);
    QString blocked = mimeApps();
    // What is in the way, with something in it that must survive.
    QString witness = m_home->filePath(QStringLiteral("plain-file"));
    if (folderInPlace) {
        QVERIFY(QDir().mkpath(mimeApps()));
        witness = mimeApps() + QStringLiteral("/kept");
    } else {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(witness + QStringLiteral("/config")));
        blocked = witness + QStringLiteral("/config/mimeapps.list");
    }
    QVERIFY(writeAll(witness, "kept"));

    ErrorBoxes errors;
    m_dialog->show();
    m_dialog->ChkFile[0]->setChecked(true);
    QTest::mouseClick(m_dialog->BtnOK, Qt::LeftButton);
    QCOMPARE(errors.texts.size(), 1);
    QVERIFY2(errors.texts[0].contains(blocked), qPrintable(errors.texts[0]));
    QCOMPARE(readAll(witness), QByteArray("kept"));
    // The user's choice is not lost: the dialog stays open with it, and OK may be pressed again.
    QVERIFY(m_dialog->isVisible());
    QVERIFY(m_dialog->ChkFile[0]->isChecked());
}

// A write that fails part-way, as on a full disk, after avi has been bound: the movie types and
// everything after them keep their old binding, and the file is the one written for avi.
void TestFileTypes::failedWriteStopsBeforeLaterExtensions()
{
    const QByteArray before("[Default Applications]\n"
                            "video/mpeg=vlc.desktop;\n"
                            "audio/x-wav=org.duvara.Duvara.desktop;\n");
    QVERIFY(writeAll(mimeApps(), before));
    MimeAppsList withAvi(before);
    withAvi.putFirst(kDefaultApplications, "video/x-msvideo", kOurs);
    withAvi.add(kAddedAssociations, "video/x-msvideo", kOurs);
    const QByteArray afterAvi = withAvi.text();

    ErrorBoxes errors;
    m_dialog->show();
    m_dialog->ChkFile[0]->setChecked(true);
    m_dialog->ChkFile[1]->setChecked(true);
    {
        const test::FileSizeLimit limit(static_cast<rlim_t>(afterAvi.size()));
        QTest::mouseClick(m_dialog->BtnOK, Qt::LeftButton);
    }
    QCOMPARE(errors.texts.size(), 1);
    QCOMPARE(errors.texts[0],
             QStringLiteral("Unable to save the file type bindings in %1: %2.")
                 .arg(mimeApps(), QString::fromLocal8Bit(std::strerror(EFBIG))));
    QCOMPARE(readAll(mimeApps()), afterAvi);
    QCOMPARE(defaults(QStringLiteral("video/mpeg")), QByteArrayList {"vlc.desktop"});
    QCOMPARE(defaults(QStringLiteral("audio/x-wav")).value(0), kOurs); // unbinding never came
    QCOMPARE(QDir(m_config).entryList(QDir::Files | QDir::Hidden),
             QStringList {QStringLiteral("mimeapps.list")}); // no temporary file left beside it
    QVERIFY(m_dialog->isVisible());

    // Once there is room again the same OK finishes the job.
    QTest::mouseClick(m_dialog->BtnOK, Qt::LeftButton);
    QCOMPARE(errors.texts.size(), 1);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(defaults(QStringLiteral("video/mpeg")).value(0), kOurs);
    QVERIFY(defaults(QStringLiteral("audio/x-wav")).isEmpty());
}

void TestFileTypes::menuItemOpensDialogOverCoveredVideo()
{
    std::setlocale(LC_NUMERIC, "C");
    TFormVDMain window;
    window.CreateOtherWindows();
    QAction *item = test::child<TRPopupMenu>(&window, "PopupMenu1")->item("MnuFile");
    QVERIFY(item->isEnabled());
    bool covered = false;
    test::onNextModal<TFormFile>([&](TFormFile *dialog) {
        covered = window.synchronisation().VideoCovered();
        dialog->BtnCancel->click();
    });
    item->trigger();
    QVERIFY(covered);
    QVERIFY(!window.synchronisation().VideoCovered());
}

QTEST_MAIN(TestFileTypes)
#include "tst_file_types.moc"
