#pragma once

// Shared by the tests that drive the real main window: reaching its parts by their names and
// answering its modal dialogs.
#include "controls/playlist.h"
#include "controls/rlistview.h"
#include "controls/subtitle_list.h"
#include "controls/subtitle_track_controller.h"
#include "controls/track_panel.h"
#include "controls/transport.h"
#include "controls/video_commands.h"
#include "controls/video_page.h"
#include "media/video_window.h"
#include "presentation/gradient_panel.h"
#include "presentation/osd_display.h"
#include "presentation/osd_label.h"
#include "presentation/subtitle_label.h"
#include "presentation/synchronisation.h"
#include "shell/idle_picture.h"
#include "shell/main_window.h"
#include "shell/popup_menus.h"
#include "shell/settings_files.h"
#include "subtitles/subtitle_reader.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <clocale>
#include <functional>

namespace duvara::test {

constexpr int kPlaybackTimeoutMs = 15000;

// Each test function starts as a first start does, without the settings and playlist files a
// window of an earlier one wrote. Run outside ctest, which names a folder per test, the files go
// to a temporary folder rather than beside the program, where a developer's own may be.
inline void forgetSettings()
{
    if (qEnvironmentVariableIsEmpty("DUVARA_CONFIG_DIR")) {
        static QTemporaryDir folder;
        qputenv("DUVARA_CONFIG_DIR", QFile::encodeName(folder.path()));
    }
    QFile::remove(SettingsFilePath());
    QFile::remove(PlaylistFilePath());
}

// A first start's window, silent, with its other windows, shown; the caller waits for it to be
// exposed and deletes it.
inline TFormVDMain *newSilentWindow()
{
    std::setlocale(LC_NUMERIC, "C");
    forgetSettings();
    auto *window = new TFormVDMain;
    window->filterGraph().SetAudioEnabled(false);
    window->CreateOtherWindows();
    window->show();
    return window;
}

// The window's part (a widget, a timer) with this object name; the test stops when it is not there.
template<typename T> T *child(QObject *window, const char *name)
{
    T *found = window->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

// Acts on the next modal window of type T as soon as it is up; the caller then opens it.
template<typename T> void onNextModal(std::function<void(T *)> action)
{
    auto *poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, action, ticks = 0]() mutable {
        auto *window = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!window && ++ticks < 1000)
            return;
        poll->deleteLater();
        poll->stop();
        if (window)
            action(window);
    });
    poll->start();
}

// Chooses a file as the user would by typing its name. The dialog does not touch a name field
// that has the focus, so the focus goes first; accept checks the name as the dialog's button does.
inline void chooseFile(QFileDialog *dialog, const QString &path)
{
    if (QWidget *focus = dialog->focusWidget())
        focus->clearFocus();
    dialog->selectFile(path);
    static_cast<QDialog *>(dialog)->accept();
}

// Counts the presses of one key that reach a widget itself.
class KeyCounter : public QObject
{
public:
    KeyCounter(QWidget *widget, int key)
        : m_key(key)
    {
        widget->installEventFilter(this);
    }
    int presses = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == m_key)
            ++presses;
        return false;
    }

private:
    int m_key;
};

// A subtitle list's cell and its number of rows.
inline QString cell(const QAbstractItemView *list, int row, int column)
{
    return list->model()->index(row, column).data().toString();
}
inline int rowCount(const QAbstractItemView *list)
{
    return list->model()->rowCount();
}

// Reads a track from text and shows it as the track's controller does after an open.
inline bool loadTrack(SubtitleTrackController &controller, const std::string &text,
                      const char *name)
{
    SubtitleTrack track;
    if (!LoadSubtitlesFromBuffer(track, text, name))
        return false;
    controller.ShowTrack(std::move(track));
    return true;
}

// Answers the next file dialog: the files, all in one folder, are chosen; with no files the
// dialog is cancelled.
inline void answerNextFileDialog(const QStringList &files)
{
    onNextModal<QFileDialog>([files](QFileDialog *dialog) {
        if (files.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->setDirectory(QFileInfo(files.first()).absolutePath());
        QStringList quoted;
        for (const QString &file : files)
            quoted << QLatin1Char('"') + QFileInfo(file).fileName() + QLatin1Char('"');
        chooseFile(dialog, quoted.join(QLatin1Char(' ')));
    });
}

} // namespace duvara::test
