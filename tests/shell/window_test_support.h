#pragma once

// Shared by the tests that drive the real main window over generated media.
#include "shell/main_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QTest>
#include <QTimer>


namespace duvara::test {

constexpr int kPlaybackTimeoutMs = 15000;

inline QString generatedMedia(const char *name)
{
    return QStringLiteral(DUVARA_TEST_MEDIA_DIR "/") + QLatin1String(name);
}

// Answers the next modal dialog that opens: a file dialog gets the files selected and is
// accepted; with no files it is cancelled.
inline void answerNextFileDialog(const QStringList &files)
{
    auto *poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, files] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->deleteLater();
        poll->stop();
        if (files.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->setDirectory(QFileInfo(files.first()).absolutePath());
        QStringList quoted;
        for (const QString &file : files)
            quoted << QLatin1Char('"') + QFileInfo(file).fileName() + QLatin1Char('"');
        dialog->selectFile(quoted.join(QLatin1Char(' ')));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    poll->start();
}

} // namespace duvara::test
