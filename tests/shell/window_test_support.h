#pragma once

// Shared by the tests that drive the real main window: answering its modal dialogs.
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>

#include <functional>

namespace duvara::test {

constexpr int kPlaybackTimeoutMs = 15000;

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
