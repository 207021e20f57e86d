#include "shell/update_check.h"

#include "media/error_box.h"
#include "presentation/synchronisation.h"
#include "shell/form_new_version.h"
#include "shell/shell_logging.h"
#include "shell/version.h"

#include <QAction>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QWidget>

#include <utility>

namespace duvara {

namespace {

// major, minor and build, one byte each.
constexpr qsizetype kVersionBytes = 3;
constexpr qsizetype kVersionDigits = 2 * kVersionBytes;

const QString kNotFoundMessage = QStringLiteral("The new version of Duvara was not found.");
const QString kConnectionFailedMessage = QStringLiteral(
    "Server connection failed. Please check your internet connection and try again!");

UpdateCheckError conversionError(const QString &digits)
{
    return UpdateCheckError(
        QStringLiteral("'%1' is not a valid integer value").arg(digits).toStdString());
}

// A reply without an HTTP status (a local file) succeeded if it has no error at all.
bool successStatus(const QNetworkReply &reply)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return true;
    const int code = status.toInt();
    return code >= 200 && code < 300;
}

} // namespace

UpdateCheckConfig DefaultUpdateCheckConfig()
{
    UpdateCheckConfig config;
    config.versionUrl = QUrl(QStringLiteral(DUVARA_VERSION_URL));
    config.downloadUrl = QUrl(QStringLiteral(DUVARA_DOWNLOAD_URL));
    const QByteArray versionUrl = qgetenv("DUVARA_VERSION_URL");
    if (!versionUrl.isEmpty())
        config.versionUrl = QUrl(QString::fromLocal8Bit(versionUrl));
    return config;
}

QString VersionFileDigits(const QByteArray &body)
{
    if (body.size() < kVersionBytes)
        return QString(kVersionDigits, QLatin1Char('0'));
    return QString::fromLatin1(body.left(kVersionBytes).toHex().toUpper());
}

int DecimalVersionNumber(const QString &digits)
{
    if (digits.isEmpty() || digits.size() > kVersionDigits)
        throw conversionError(digits);
    int number = 0;
    for (const QChar digit : digits) {
        if (digit < QLatin1Char('0') || digit > QLatin1Char('9'))
            throw conversionError(digits);
        number = number * 10 + digit.digitValue();
    }
    return number;
}

QString FetchResultFromBody(const QByteArray &body, int ownVersion)
{
    const QString digits = VersionFileDigits(body);
    return DecimalVersionNumber(digits) > ownVersion ? digits : kNoNewerVersion;
}

VersionMessage VersionMessageFor(const QString &result)
{
    const int number = DecimalVersionNumber(result.left(kVersionDigits));
    if (number == 0)
        return {kNotFoundMessage, false};
    if (number == 1)
        return {kConnectionFailedMessage, false};
    return {QStringLiteral("The new version %1.%2.%3 of Duvara is available on the home page. "
                           "Press 'Download' button to download it right now.")
                .arg(number / 10000)
                .arg(number / 100 % 100)
                .arg(number % 100),
            true};
}

VersionFetcher::VersionFetcher(QObject *parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
{
    // Whatever proxy the desktop is set up with; loopback addresses never go through one.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_timedOut = true;
        if (m_reply)
            finish();
    });
}

VersionFetcher::~VersionFetcher()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

bool VersionFetcher::Fetch(const QUrl &url, int timeoutMs)
{
    if (m_reply)
        return false;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Duvara/%1").arg(ProgramVersion()));
    m_head.clear();
    m_timedOut = false;
    m_reply = m_manager->get(request);
    connect(m_reply, &QIODevice::readyRead, this, &VersionFetcher::headArrived);
    connect(m_reply, &QNetworkReply::finished, this, &VersionFetcher::replyFinished);
    // One deadline for the whole fetch: a server that trickles its answer byte by byte is as
    // unreachable as one that never answers.
    m_deadline.start(timeoutMs);
    return true;
}

// Only the first bytes count: the fetch ends as soon as they are there, or as soon as the
// status says the body is no version file, so a long or endless body is never waited for.
void VersionFetcher::headArrived()
{
    if (!m_reply)
        return;
    if (!successStatus(*m_reply)) {
        finish();
        return;
    }
    m_head += m_reply->read(kVersionBytes - m_head.size());
    if (m_head.size() >= kVersionBytes)
        finish();
}

void VersionFetcher::replyFinished()
{
    if (!m_reply)
        return;
    if (m_reply->error() == QNetworkReply::NoError && successStatus(*m_reply))
        m_head += m_reply->read(kVersionBytes - m_head.size());
    finish();
}

void VersionFetcher::finish()
{
    QNetworkReply *reply = std::exchange(m_reply, nullptr);
    m_deadline.stop();
    reply->disconnect(this);
    reply->deleteLater();

    QString why;
    if (m_timedOut)
        why = QStringLiteral("no answer within %1 ms").arg(m_deadline.interval());
    else if (reply->error() != QNetworkReply::NoError)
        why = reply->errorString();
    else if (!successStatus(*reply))
        why = QStringLiteral("HTTP status %1")
                  .arg(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt());
    // An error status comes with an error report already on its way: aborting would report a
    // second one. Deleting the reply ends its transfer quietly.
    if (reply->isRunning() && successStatus(*reply))
        reply->abort();

    if (why.isEmpty())
        emit Fetched(m_head);
    else
        emit Unreachable(why);
}

UpdateCheck::UpdateCheck(Synchronisation &sync, QWidget *window, UpdateCheckConfig config)
    : QObject(window)
    , m_sync(sync)
    , m_window(window)
    , m_config(std::move(config))
    , m_openUrl([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    // Queued: the answer is shown (a modal dialog) once the network reply has left its signal.
    connect(&m_fetcher, &VersionFetcher::Fetched, this, &UpdateCheck::versionFetched,
            Qt::QueuedConnection);
    connect(&m_fetcher, &VersionFetcher::Unreachable, this, &UpdateCheck::serverUnreachable,
            Qt::QueuedConnection);
}

UpdateCheck::~UpdateCheck()
{
    setBusy(false);
}

void UpdateCheck::AddFace(QAction *item)
{
    m_items.append(item);
    showFaceState();
}

void UpdateCheck::AddFace(QWidget *button)
{
    m_buttons.append(button);
    showFaceState();
}

void UpdateCheck::SetDialog(TFormNewV *dialog)
{
    m_dialog = dialog;
    showFaceState();
}

void UpdateCheck::MnuNewClick()
{
    if (!m_dialog || Running())
        return;
    qCInfo(lcShell).noquote() << "checking for a new version at"
                              << m_config.versionUrl.toDisplayString();
    m_fetcher.Fetch(m_config.versionUrl, m_config.timeoutMs);
    setBusy(true);
}

void UpdateCheck::versionFetched(const QByteArray &head)
{
    conclude([&] { answer(FetchResultFromBody(head, ProgramVersionNumber())); });
}

void UpdateCheck::serverUnreachable(const QString &why)
{
    qCWarning(lcShell).noquote() << "version file not read:" << why;
    conclude([&] { answer(kNoConnection); });
}

void UpdateCheck::conclude(const std::function<void()> &answerStep)
{
    // Still running while the answer shows: the faces stay disabled until it is closed.
    m_answering = true;
    setBusy(false);
    RunGuarded(m_window, answerStep);
    m_answering = false;
    showFaceState();
    emit Finished();
}

void UpdateCheck::answer(const QString &result)
{
    if (!m_dialog)
        return;
    const VersionMessage message = VersionMessageFor(result);
    bool download = false;
    {
        const VideoCover cover(m_sync);
        if (message.offersDownload)
            m_dialog->OfferDownload();
        download = m_dialog->ShowVersionMessage(message.text);
    }
    if (download && !m_openUrl(m_config.downloadUrl))
        throw UpdateCheckError(QStringLiteral("Unable to open the download page %1")
                                   .arg(m_config.downloadUrl.toDisplayString())
                                   .toStdString());
}

void UpdateCheck::setBusy(bool busy)
{
    if (busy == m_busyCursor)
        return;
    m_busyCursor = busy;
    // The window answers while the check runs; the cursor tells that something is under way.
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QGuiApplication::restoreOverrideCursor();
    showFaceState();
}

void UpdateCheck::showFaceState()
{
    const bool enabled = m_dialog && !Running();
    for (const QPointer<QAction> &item : std::as_const(m_items))
        if (item)
            item->setEnabled(enabled);
    for (const QPointer<QWidget> &button : std::as_const(m_buttons))
        if (button)
            button->setEnabled(enabled);
}

} // namespace duvara
