// Asks the web site whether a newer version of the player exists and tells the answer in the
// new-version dialog. The version file's first three bytes are the latest version in packed
// decimal: 01 00 05 is version 1.0.5.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <stdexcept>

class QAction;
class QNetworkAccessManager;
class QNetworkReply;
class QWidget;

namespace duvara {

class Synchronisation;
class TFormNewV;

// The version file could not be read as a version.
class UpdateCheckError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A check's result when it is not the six digits of a newer version.
inline const QString kNoNewerVersion = QStringLiteral("0");
inline const QString kNoConnection = QStringLiteral("1");

// Where the check looks and how long it waits.
struct UpdateCheckConfig
{
    QUrl versionUrl;
    QUrl downloadUrl;
    int timeoutMs = 10000;
};

// The build's URLs; DUVARA_VERSION_URL in the environment replaces the version file's.
UpdateCheckConfig DefaultUpdateCheckConfig();

// The first three bytes of the version file as six upper-case hexadecimal digits. A file shorter
// than three bytes holds no version: it reads as 000000.
QString VersionFileDigits(const QByteArray &body);

// The six digits read as a decimal number; UpdateCheckError when they are not all decimal digits.
int DecimalVersionNumber(const QString &digits);

// The check's result for a version file: kNoNewerVersion, or the six digits of a version newer
// than `ownVersion`.
QString FetchResultFromBody(const QByteArray &body, int ownVersion);

// What the dialog tells for a result, and whether it offers the download.
struct VersionMessage
{
    QString text;
    bool offersDownload = false;
};
VersionMessage VersionMessageFor(const QString &result);

// Reads the head of the version file without blocking the event loop.
class VersionFetcher : public QObject
{
    Q_OBJECT
public:
    explicit VersionFetcher(QObject *parent = nullptr);
    ~VersionFetcher() override;

    // Starts a fetch; false when one is still running.
    bool Fetch(const QUrl &url, int timeoutMs);
    bool Busy() const { return m_reply != nullptr; }

signals:
    // The body's first bytes (at most three; fewer when the body is shorter).
    void Fetched(const QByteArray &head);
    // No answer, an error status, or no answer in time.
    void Unreachable(const QString &why);

private:
    void headArrived();
    void replyFinished();
    void finish();

    QNetworkAccessManager *m_manager = nullptr;
    QNetworkReply *m_reply = nullptr;
    QTimer m_deadline;
    QByteArray m_head;
    bool m_timedOut = false;
};

// The handler behind "New Version" (Ctrl+N) and the video page's button: fetches the version,
// shows the answer and opens the download page when the user asks for it.
class UpdateCheck : public QObject
{
    Q_OBJECT
public:
    using UrlOpener = std::function<bool(const QUrl &)>;

    UpdateCheck(Synchronisation &sync, QWidget *window,
                UpdateCheckConfig config = DefaultUpdateCheckConfig());
    ~UpdateCheck() override;

    // The menu item and the button that start the check: enabled while a check can start.
    void AddFace(QAction *item);
    void AddFace(QWidget *button);
    // The check can start once its dialog exists.
    void SetDialog(TFormNewV *dialog);
    // Opens the download page (the desktop's browser unless replaced).
    void SetUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }
    void SetTimeout(int ms) { m_config.timeoutMs = ms; }

    // Starts the check and returns at once; the answer comes when the file is read. A request
    // while a check runs is ignored (its faces are disabled meanwhile).
    void MnuNewClick();
    bool Running() const { return m_fetcher.Busy() || m_answering; }

signals:
    // The check has ended, after its answer was shown.
    void Finished();

private:
    void versionFetched(const QByteArray &head);
    void serverUnreachable(const QString &why);
    void conclude(const std::function<void()> &answerStep);
    // The rest of the check once the result is known: the dialog, and the download page.
    void answer(const QString &result);
    void setBusy(bool busy);
    void showFaceState();

    Synchronisation &m_sync;
    QWidget *m_window;
    UpdateCheckConfig m_config;
    VersionFetcher m_fetcher;
    QPointer<TFormNewV> m_dialog;
    QList<QPointer<QAction>> m_items;
    QList<QPointer<QWidget>> m_buttons;
    UrlOpener m_openUrl;
    bool m_busyCursor = false;
    bool m_answering = false;
};

} // namespace duvara
