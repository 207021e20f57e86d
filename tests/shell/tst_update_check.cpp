#include "controls/video_page.h"
#include "media/ds_track_bar.h"
#include "media/filter_graph.h"
#include "presentation/synchronisation.h"
#include "shell/form_new_version.h"
#include "shell/main_window.h"
#include "shell/popup_menus.h"
#include "shell/update_check.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <clocale>
#include <functional>
#include <memory>

using namespace duvara;

namespace {

const QString kNotFound = QStringLiteral("The new version of Duvara was not found.");
const QString kNoConnectionText = QStringLiteral(
    "Server connection failed. Please check your internet connection and try again!");
const QUrl kDownloadPage(QStringLiteral("https://duvara.example/downloads.php"));
// Long enough never to end a check that a test expects to end otherwise.
constexpr int kPatientTimeoutMs = 120000;
constexpr int kCheckWaitMs = 20000;

QString newVersionText(const char *version)
{
    return QStringLiteral("The new version %1 of Duvara is available on the home page. Press "
                          "'Download' button to download it right now.")
        .arg(QLatin1String(version));
}

QByteArray response(int status, const QByteArray &body)
{
    const QByteArray reason = status == 200 ? "OK" : status == 404 ? "Not Found" : "Server Error";
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason
        + "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// A web server on the loopback interface that answers every request with the bytes it is given,
// or, given none, holds the request until told.
class VersionServer : public QObject
{
public:
    VersionServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        });
    }

    QUrl url() const
    {
        return QUrl(
            QStringLiteral("http://127.0.0.1:%1/Keldric/pnikut.wox").arg(m_server.serverPort()));
    }
    // An answer without an end keeps the connection open after it.
    void setAnswer(const QByteArray &answer, bool endless = false)
    {
        m_answer = answer;
        m_endless = endless;
    }
    void answerWaiting(const QByteArray &answer)
    {
        for (QTcpSocket *socket : std::as_const(m_waiting))
            write(socket, answer);
        m_waiting.clear();
    }
    int requests() const { return m_requests; }
    const QByteArray &lastRequest() const { return m_lastRequest; }

private:
    void read(QTcpSocket *socket)
    {
        QByteArray &request = m_received[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n") || request.isEmpty())
            return;
        ++m_requests;
        m_lastRequest = std::exchange(request, QByteArray());
        if (m_answer.isEmpty())
            m_waiting.append(socket);
        else
            write(socket, m_answer);
    }
    void write(QTcpSocket *socket, const QByteArray &answer)
    {
        socket->write(answer);
        if (!m_endless)
            socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QByteArray m_answer;
    bool m_endless = false;
    QHash<QTcpSocket *, QByteArray> m_received;
    QList<QTcpSocket *> m_waiting;
    int m_requests = 0;
    QByteArray m_lastRequest;
};

// How the test closes the new-version dialog.
enum class Closing { CloseButton, Enter, EnterOnDownload, Escape, Download };

// What the check showed: each new-version message with whether Download was offered and
// whether the picture was covered, and each error box.
struct Shown
{
    QStringList messages;
    QList<bool> downloadOffered;
    QList<bool> covered;
    QStringList errors;
};

// Answers the check's modal windows as soon as they are up, as a user would.
class ModalAnswerer : public QObject
{
public:
    ModalAnswerer(Closing closing, std::function<bool()> covered)
        : m_closing(closing)
        , m_covered(std::move(covered))
    {
        connect(&m_poll, &QTimer::timeout, this, &ModalAnswerer::look);
        m_poll.start(5);
    }

    Shown shown;

private:
    void look()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<TFormNewV *>(modal)) {
            shown.messages << dialog->LblMessage->text();
            shown.downloadOffered << dialog->BtnDownload->isVisible();
            shown.covered << m_covered();
            close(dialog);
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            shown.errors << box->text();
            box->done(QMessageBox::Ok);
        }
    }
    void close(TFormNewV *dialog)
    {
        QWidget *focus = dialog->focusWidget() ? dialog->focusWidget() : dialog;
        switch (m_closing) {
        case Closing::CloseButton:
            QTest::mouseClick(dialog->BtnClose, Qt::LeftButton);
            break;
        case Closing::Enter:
            QTest::keyClick(focus, Qt::Key_Return);
            break;
        case Closing::EnterOnDownload:
            dialog->BtnDownload->setFocus();
            QTest::keyClick(dialog->BtnDownload, Qt::Key_Return);
            break;
        case Closing::Escape:
            QTest::keyClick(focus, Qt::Key_Escape);
            break;
        case Closing::Download:
            QTest::mouseClick(dialog->BtnDownload, Qt::LeftButton);
            break;
        }
        // A dialog that ignored its key stays up; the test then fails on its count, not here.
        if (dialog->isVisible())
            dialog->reject();
    }

    Closing m_closing;
    std::function<bool()> m_covered;
    QTimer m_poll;
};

} // namespace

Q_DECLARE_METATYPE(Closing)

class TestUpdateCheck : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void versionFileDigits_data();
    void versionFileDigits();
    void unreadableVersion_data();
    void unreadableVersion();

    void answerFromServer_data();
    void answerFromServer();
    void closedPortIsAConnectionFailure();
    void onlyDownloadOpensThePage_data();
    void onlyDownloadOpensThePage();
    void downloadIsOfferedForOneMessageOnly();
    void pageThatDoesNotOpenIsReported();
    void windowAnswersWhileTheServerThinks();
    void silentServerTimesOut();
    void dialogLooks();
    void menuItemAndButtonRunTheCheck();

private:
    // Runs one check to its end, closing the dialog as given.
    bool runCheck(Closing closing = Closing::CloseButton);

    std::unique_ptr<TFilterGraph> m_graph;
    std::unique_ptr<VersionServer> m_server;
    QWidget *m_window = nullptr;
    Synchronisation *m_sync = nullptr;
    TFormNewV *m_dialog = nullptr;
    UpdateCheck *m_check = nullptr;
    QAction *m_item = nullptr;
    QToolButton *m_button = nullptr;
    QList<QUrl> m_opened;
    bool m_pageOpens = true;
    Shown m_shown;
};

void TestUpdateCheck::initTestCase()
{
    std::setlocale(LC_NUMERIC, "C");
}

void TestUpdateCheck::init()
{
    m_graph = std::make_unique<TFilterGraph>();
    m_server = std::make_unique<VersionServer>();
    m_window = new QWidget;
    auto *bar = new TDSTrackBar(m_window);
    auto *slider = new QSlider(Qt::Horizontal, m_window);
    auto *text = new QLabel(m_window);
    m_sync = new Synchronisation(*m_graph, *bar, *slider, *text, m_window);
    m_dialog = new TFormNewV(m_window);
    m_check = new UpdateCheck(
        *m_sync, m_window, UpdateCheckConfig {m_server->url(), kDownloadPage, kPatientTimeoutMs});
    m_item = new QAction(QStringLiteral("New &Version"), m_window);
    m_button = new QToolButton(m_window);
    m_check->AddFace(m_item);
    m_check->AddFace(m_button);
    m_check->SetDialog(m_dialog);
    m_opened.clear();
    m_pageOpens = true;
    m_check->SetUrlOpener([this](const QUrl &url) {
        m_opened << url;
        return m_pageOpens;
    });
}

void TestUpdateCheck::cleanup()
{
    delete m_window;
    m_server.reset();
    m_graph.reset();
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

bool TestUpdateCheck::runCheck(Closing closing)
{
    ModalAnswerer answerer(closing, [this] { return m_sync->VideoCovered(); });
    QSignalSpy finished(m_check, &UpdateCheck::Finished);
    m_check->MnuNewClick();
    const bool ended = QTest::qWaitFor([&] { return finished.count() == 1; }, kCheckWaitMs);
    m_shown = answerer.shown;
    return ended;
}

void TestUpdateCheck::versionFileDigits_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("result");
    QTest::newRow("running version") << QByteArray("\x01\x00\x03", 3) << "010003"
                                     << "0";
    QTest::newRow("older version") << QByteArray("\x00\x09\x99", 3) << "000999"
                                   << "0";
    QTest::newRow("next build") << QByteArray("\x01\x00\x04", 3) << "010004"
                                << "010004";
    QTest::newRow("two-digit minor") << QByteArray("\x02\x10\x00", 3) << "021000"
                                     << "021000";
    QTest::newRow("bytes after the version") << QByteArray("\x01\x01\x00\xff\x0a", 5) << "010100"
                                             << "010100";
    // A truncated file holds no version, not the start of one.
    QTest::newRow("two bytes") << QByteArray("\x02\x10", 2) << "000000"
                               << "0";
    QTest::newRow("empty") << QByteArray() << "000000"
                           << "0";
}

void TestUpdateCheck::versionFileDigits()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, digits);
    QFETCH(QString, result);
    QCOMPARE(VersionFileDigits(body), digits);
    QCOMPARE(FetchResultFromBody(body, 10003), result);
}

void TestUpdateCheck::unreadableVersion_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("message");
    QTest::newRow("html page") << QByteArray("<!DOCTYPE html>")
                               << "'3C2144' is not a valid integer value";
    QTest::newRow("hex digit in major")
        << QByteArray("\x0a\x00\x00", 3) << "'0A0000' is not a valid integer value";
    QTest::newRow("hex digit in build")
        << QByteArray("\x01\x00\x0f", 3) << "'01000F' is not a valid integer value";
}

void TestUpdateCheck::unreadableVersion()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, message);
    try {
        FetchResultFromBody(body, 10003);
        QFAIL("no error");
    } catch (const UpdateCheckError &error) {
        QCOMPARE(QString::fromUtf8(error.what()), message);
    }
}

void TestUpdateCheck::answerFromServer_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("endless");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("download");
    QTest::addColumn<QString>("error");
    const auto ok = [](const char *bytes, int size) {
        return response(200, QByteArray(bytes, size));
    };
    QTest::newRow("running version") << ok("\x01\x00\x03", 3) << false << kNotFound << false << "";
    QTest::newRow("older version") << ok("\x00\x09\x99", 3) << false << kNotFound << false << "";
    QTest::newRow("newer build") << ok("\x01\x00\x04", 3) << false << newVersionText("1.0.4")
                                 << true << "";
    QTest::newRow("newer minor") << ok("\x02\x10\x00", 3) << false << newVersionText("2.10.0")
                                 << true << "";
    QTest::newRow("two bytes") << ok("\x02\x10", 2) << false << kNotFound << false << "";
    QTest::newRow("empty file") << ok("", 0) << false << kNotFound << false << "";
    // Only the head is read: a body without an end still gives its answer at once.
    QTest::newRow("body without end")
        << QByteArray("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n")
            + QByteArray("\x01\x00\x04 and more", 12)
        << true << newVersionText("1.0.4") << true << "";
    QTest::newRow("html page") << response(200, "<!DOCTYPE html><html></html>") << false << ""
                               << false << "'3C2144' is not a valid integer value.";
    // Whatever an error page holds, the version file was not reached.
    QTest::newRow("missing file") << response(404, "<html>Not Found</html>") << false
                                  << kNoConnectionText << false << "";
    QTest::newRow("server error with version bytes") << response(500, QByteArray("\x01\x00\x04", 3))
                                                     << false << kNoConnectionText << false << "";
    QTest::newRow("error page without end")
        << QByteArray("HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/html\r\n\r\n"
                      "<html><body>Busy, try later")
        << true << kNoConnectionText << false << "";
}

void TestUpdateCheck::answerFromServer()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, endless);
    QFETCH(QString, message);
    QFETCH(bool, download);
    QFETCH(QString, error);
    m_server->setAnswer(answer, endless);
    QVERIFY(runCheck());
    if (error.isEmpty()) {
        QCOMPARE(m_shown.messages, QStringList {message});
        QCOMPARE(m_shown.downloadOffered, QList<bool> {download});
        QCOMPARE(m_shown.covered, QList<bool> {true});
        QVERIFY(m_shown.errors.isEmpty());
    } else {
        QVERIFY(m_shown.messages.isEmpty());
        QCOMPARE(m_shown.errors, QStringList {error});
    }
    QVERIFY(m_opened.isEmpty());
    QVERIFY(!m_sync->VideoCovered());
    QVERIFY(m_item->isEnabled());
    QVERIFY(m_button->isEnabled());
}

void TestUpdateCheck::closedPortIsAConnectionFailure()
{
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    delete m_check;
    m_check = new UpdateCheck(
        *m_sync, m_window,
        UpdateCheckConfig {QUrl(QStringLiteral("http://127.0.0.1:%1/Keldric/pnikut.wox").arg(port)),
                           kDownloadPage, kPatientTimeoutMs});
    m_check->SetDialog(m_dialog);
    QVERIFY(runCheck());
    QCOMPARE(m_shown.messages, QStringList {kNoConnectionText});
    QCOMPARE(m_shown.downloadOffered, QList<bool> {false});
}

void TestUpdateCheck::onlyDownloadOpensThePage_data()
{
    QTest::addColumn<Closing>("closing");
    QTest::addColumn<int>("opened");
    QTest::newRow("close button") << Closing::CloseButton << 0;
    QTest::newRow("enter") << Closing::Enter << 0;
    QTest::newRow("enter on download") << Closing::EnterOnDownload << 0;
    QTest::newRow("escape") << Closing::Escape << 0;
    QTest::newRow("download") << Closing::Download << 1;
}

void TestUpdateCheck::onlyDownloadOpensThePage()
{
    QFETCH(Closing, closing);
    QFETCH(int, opened);
    m_server->setAnswer(response(200, QByteArray("\x01\x00\x04", 3)));
    QVERIFY(runCheck(closing));
    QCOMPARE(m_shown.messages, QStringList {newVersionText("1.0.4")});
    QCOMPARE(m_opened.size(), opened);
    if (opened)
        QCOMPARE(m_opened.first(), kDownloadPage);
    QVERIFY(m_shown.errors.isEmpty());
}

void TestUpdateCheck::downloadIsOfferedForOneMessageOnly()
{
    m_server->setAnswer(response(200, QByteArray("\x01\x00\x04", 3)));
    QVERIFY(runCheck(Closing::Escape));
    QVERIFY(!m_dialog->BtnDownload->isVisibleTo(m_dialog));
    m_server->setAnswer(response(200, QByteArray("\x01\x00\x03", 3)));
    QVERIFY(runCheck(Closing::Enter));
    QCOMPARE(m_shown.messages, QStringList {kNotFound});
    QCOMPARE(m_shown.downloadOffered, QList<bool> {false});
    QCOMPARE(m_server->requests(), 2);
}

void TestUpdateCheck::pageThatDoesNotOpenIsReported()
{
    m_pageOpens = false;
    m_server->setAnswer(response(200, QByteArray("\x02\x00\x00", 3)));
    QVERIFY(runCheck(Closing::Download));
    QCOMPARE(m_opened, QList<QUrl> {kDownloadPage});
    QCOMPARE(m_shown.errors,
             QStringList {QStringLiteral(
                 "Unable to open the download page https://duvara.example/downloads.php.")});
}

void TestUpdateCheck::windowAnswersWhileTheServerThinks()
{
    ModalAnswerer answerer(Closing::CloseButton, [] { return true; });
    QSignalSpy finished(m_check, &UpdateCheck::Finished);
    m_check->MnuNewClick();
    // The server runs on this thread: its reading the request proves the loop goes on.
    QTRY_COMPARE(m_server->requests(), 1);
    QVERIFY(m_server->lastRequest().startsWith("GET /Keldric/pnikut.wox HTTP/1.1\r\n"));
    QVERIFY(m_server->lastRequest().contains("\r\nUser-Agent: Duvara/1.0.3\r\n"));
    QVERIFY(m_check->Running());
    QVERIFY(!m_item->isEnabled());
    QVERIFY(!m_button->isEnabled());
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);

    // A second request meanwhile starts nothing: one answer ends everything.
    m_check->MnuNewClick();
    m_server->answerWaiting(response(200, QByteArray("\x01\x00\x03", 3)));
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(answerer.shown.messages, QStringList {kNotFound});
    QVERIFY(!m_check->Running());
    QCOMPARE(m_server->requests(), 1);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QVERIFY(m_item->isEnabled());
    QVERIFY(m_button->isEnabled());
}

void TestUpdateCheck::silentServerTimesOut()
{
    m_check->SetTimeout(100);
    QVERIFY(runCheck());
    QCOMPARE(m_shown.messages, QStringList {kNoConnectionText});
    QVERIFY(!m_check->Running());
}

void TestUpdateCheck::dialogLooks()
{
    TFormNewV dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("New version"));
    QVERIFY(dialog.BtnClose->isDefault());
    QCOMPARE(dialog.BtnClose->text(), QStringLiteral("&Close"));
    QCOMPARE(dialog.BtnDownload->text(), QStringLiteral("&Download"));
    QVERIFY(dialog.LblMessage->wordWrap());
    QSize minimum, maximum;
    QRect picture, message;
    bool downloadShown = true;
    int lineHeight = 0;
    QTimer::singleShot(0, &dialog, [&] {
        minimum = dialog.minimumSize();
        maximum = dialog.maximumSize();
        picture = dialog.ImgNew->geometry();
        message = dialog.LblMessage->geometry();
        downloadShown = dialog.BtnDownload->isVisible();
        lineHeight = dialog.LblMessage->fontMetrics().height();
        dialog.reject();
    });
    QVERIFY(!dialog.ShowVersionMessage(newVersionText("12.34.56")));
    QCOMPARE(minimum, maximum);
    QVERIFY(picture.right() < message.left());
    QVERIFY(!downloadShown);
    // A long message wraps onto more lines instead of widening the dialog.
    QVERIFY(message.height() > 2 * lineHeight);
    QVERIFY(maximum.width() < 600);
}

void TestUpdateCheck::menuItemAndButtonRunTheCheck()
{
    m_server->setAnswer(response(200, QByteArray("\x01\x00\x03", 3)));
    qputenv("DUVARA_VERSION_URL", m_server->url().toEncoded());
    TFormVDMain window;
    qunsetenv("DUVARA_VERSION_URL");
    window.filterGraph().SetAudioEnabled(false);
    QAction *item = window.findChild<TRPopupMenu *>(QStringLiteral("PopupMenu1"))
                        ->item(QStringLiteral("MnuNew"));
    QToolButton *button = window.findChild<VideoPage *>(QStringLiteral("TabVideo"))->BtnNew;
    // Without its dialog the check cannot run, and says so by being disabled.
    QVERIFY(!item->isEnabled());
    QVERIFY(!button->isEnabled());
    window.CreateOtherWindows();
    QVERIFY(item->isEnabled());
    QVERIFY(button->isEnabled());
    QCOMPARE(item->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    QCOMPARE(button->toolTip(), QStringLiteral("New version\n<Ctrl+N>"));

    ModalAnswerer answerer(Closing::Escape,
                           [&] { return window.synchronisation().VideoCovered(); });
    QSignalSpy finished(&window.updateCheck(), &UpdateCheck::Finished);
    item->trigger();
    QTRY_COMPARE(finished.count(), 1);
    button->click();
    QTRY_COMPARE(finished.count(), 2);
    QCOMPARE(answerer.shown.messages, (QStringList {kNotFound, kNotFound}));
    QCOMPARE(answerer.shown.covered, (QList<bool> {true, true}));
    QCOMPARE(m_server->requests(), 2);
}

QTEST_MAIN(TestUpdateCheck)
#include "tst_update_check.moc"
