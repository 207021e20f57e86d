#include "controls/file_dialogs.h"

#include "presentation/synchronisation.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>

namespace duvara {

namespace {

// Qt matches patterns case-sensitively on Linux, so both cases.
const QString kMediaFilters = QStringLiteral(
    "Video files (*.avi *.mpg *.mpeg *.mpv *.m2v *.mpe *.m2p *.mp4 *.wmv *.wm *.asf *.mkv *.webm "
    "*.mov *.AVI *.MPG *.MPEG *.MPV *.M2V *.MPE *.M2P *.MP4 *.WMV *.WM *.ASF *.MKV *.WEBM *.MOV);;"
    "Audio files (*.mpa *.mp2 *.mp3 *.m3u *.m4a *.wav *.wma *.mid *.midi *.rmi *.ogg *.flac "
    "*.MPA *.MP2 *.MP3 *.M3U *.M4A *.WAV *.WMA *.MID *.MIDI *.RMI *.OGG *.FLAC);;"
    "All files (*)");

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
    m_dlgFile->setNameFilters(kMediaFilters.split(QStringLiteral(";;")));
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
