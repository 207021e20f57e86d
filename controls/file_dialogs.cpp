#include "controls/file_dialogs.h"

#include "controls/media_types.h"
#include "presentation/synchronisation.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>

namespace duvara {

namespace {

// "Video files (*.avi ... *.AVI ...)": Qt matches patterns case-sensitively on Linux, so both
// cases.
template<std::size_t N>
QString mediaFilter(const char *title, const std::array<const char *, N> &extensions)
{
    QStringList patterns;
    for (const bool upper : {false, true})
        for (const char *extension : extensions) {
            const QString name = QString::fromLatin1(extension);
            patterns << QStringLiteral("*.") + (upper ? name.toUpper() : name);
        }
    return QStringLiteral("%1 (%2)").arg(QLatin1String(title), patterns.join(QLatin1Char(' ')));
}

// Runs the dialog; the chosen names, none when it was cancelled. The name field's completion
// list is a window of its own that does not close with the dialog: whatever it still shows is
// closed too. The next time the dialog opens in the same folder with an empty name, rather than
// with the last name typed.
QStringList runDialog(QFileDialog &dialog)
{
    const bool accepted = dialog.exec() == QDialog::Accepted;
    const QStringList chosen = accepted ? dialog.selectedFiles() : QStringList();
    for (QCompleter *completer : dialog.findChildren<QCompleter *>())
        if (completer->popup())
            completer->popup()->hide();
    if (auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        name->clear();
    return chosen;
}

QString firstChoice(QFileDialog &dialog)
{
    return runDialog(dialog).value(0);
}

} // namespace

FileDialogs::FileDialogs(QWidget *parent, Synchronisation &sync)
    : m_parent(parent)
    , m_sync(sync)
{ }

void FileDialogs::ensureDialogs()
{
    if (m_dlgFile)
        return;
    m_dlgFile = new QFileDialog(m_parent);
    m_dlgFile->setObjectName(QStringLiteral("DlgFile"));
    m_dlgFile->setFileMode(QFileDialog::ExistingFiles);
    m_dlgFile->setNameFilters({mediaFilter("Video files", kVideoExtensions),
                               mediaFilter("Audio files", kAudioExtensions),
                               QStringLiteral("All files (*)")});
    m_dlgSubt = new QFileDialog(m_parent);
    m_dlgSubt->setObjectName(QStringLiteral("DlgSubt"));
    m_dlgSubt->setFileMode(QFileDialog::ExistingFile);
    m_dlgSubt->setNameFilters(
        {QStringLiteral("Subtitle files (*.srt *.SRT *.sub *.SUB *.txt *.TXT)"),
         QStringLiteral("All files (*)")});
    m_saveSubt = new QFileDialog(m_parent);
    m_saveSubt->setObjectName(QStringLiteral("SaveSubt"));
    m_saveSubt->setAcceptMode(QFileDialog::AcceptSave);
    m_saveSubt->setDefaultSuffix(QStringLiteral("srt"));
    m_saveSubt->setNameFilters(
        {QStringLiteral("SubRip subtitles (*.srt *.SRT)"), QStringLiteral("All files (*)")});
}

QStringList FileDialogs::ChooseMediaFiles(const QString &title)
{
    ensureDialogs();
    m_dlgFile->setWindowTitle(title);
    const VideoCover cover(m_sync);
    return runDialog(*m_dlgFile);
}

QString FileDialogs::ChooseSubtitleFile(const QString &title)
{
    ensureDialogs();
    m_dlgSubt->setWindowTitle(title);
    const VideoCover cover(m_sync);
    return firstChoice(*m_dlgSubt);
}

QString FileDialogs::ChooseSaveName(const QString &title, const QString &proposed)
{
    ensureDialogs();
    m_saveSubt->setWindowTitle(title);
    m_saveSubt->setDirectory(m_dlgSubt->directory());
    m_saveSubt->selectFile(proposed);
    const VideoCover cover(m_sync);
    return firstChoice(*m_saveSubt);
}

} // namespace duvara
