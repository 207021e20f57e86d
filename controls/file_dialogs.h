// The player's file dialogs: media files to open or add, a subtitle file to open, a name to
// save a subtitle track as. Each covers the video while it is up.
#pragma once

#include <QString>
#include <QStringList>

class QFileDialog;
class QWidget;

namespace duvara {

class Synchronisation;

class FileDialogs
{
public:
    FileDialogs(QWidget *parent, Synchronisation &sync);

    // The chosen media files; empty when cancelled.
    QStringList ChooseMediaFiles(const QString &title);
    // The chosen subtitle file; empty when cancelled.
    QString ChooseSubtitleFile(const QString &title);
    // The name to save under, proposed as `proposed` in the subtitle dialog's folder; empty
    // when cancelled.
    QString ChooseSaveName(const QString &title, const QString &proposed);

private:
    void ensureDialogs();

    QWidget *m_parent;
    Synchronisation &m_sync;
    // Made on first use: the dialogs cost tens of milliseconds to build.
    QFileDialog *m_dlgFile = nullptr;
    QFileDialog *m_dlgSubt = nullptr;
    QFileDialog *m_saveSubt = nullptr;
};

} // namespace duvara
