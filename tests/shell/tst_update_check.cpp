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
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QToolButton>

#include <clocale>
#include <functional>
#include <memory>

using namespace duvara;

namespace {

const QString kNotFound = QStringLiteral("The new version of Duvara was not found.");
const QString kFailed = QStringLiteral(
    "Server connection failed. Please check your internet connection and try again!");
const QUrl kDownloadPage(QStringLiteral("https://duvara.example/downloads.php"));
// Never reached by a check that a test expects to end otherwise.
constexpr int kPatientTimeoutMs = 120000;

QString newVersion(const char *version)
{
    return QStringLiteral("The new version %1 of Duvara is available on the home page. Press "
                          "'Download' button to download it right now.")
        .arg(QLatin1String(version));
}

// The bytes of a literal, zero bytes included.
template<std::size_t N> QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

QByteArray response(const QByteArray &body, int status = 200)
{
    return "HTTP/1.1 " + QByteArray::number(status) + " X\r\nConnection: close\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// Answers every request on the loopback interface with the given bytes (closing the connection
// unless `endless`), or, given none, holds it until answerWaiting.
class VersionServer : public QTcpServer
{
public:
    VersionServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        });
    }
    QUrl url() const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/Keldric/pnikut.wox").arg(serverPort()));
    }
    void answerWaiting(const QByteArray &late)
    {
        for (QTcpSocket *socket : std::exchange(m_waiting, {})) {
            socket->write(late);
            socket->disconnectFromHost();
        }
    }

    QByteArray answer;
    bool endless = false;
    int requests = 0;
    QByteArray lastRequest;

private:
    void read(QTcpSocket *socket)
    {
        QByteArray &received = m_received[socket];
        received += socket->readAll();
        if (!received.endsWith("\r\n\r\n"))
            return;
        ++requests;
        lastRequest = std::exchange(received, {});
        if (answer.isEmpty()) {
            m_waiting.append(socket);
            return;
        }
        socket->write(answer);
        if (!endless)
            socket->disconnectFromHost();
    }
    QHash<QTcpSocket *, QByteArray> m_received;
    QList<QTcpSocket *> m_waiting;
};

enum class Closing { CloseButton, Enter, EnterOnDownload, Escape, Download };

// What the check showed: each message with whether Download was offered and the picture covered,
// and each error box.
struct Shown
{
    QStringList messages;
    QList<bool> download;
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
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            shown.errors << box->text();
            box->done(QMessageBox::Ok);
        }
        auto *dialog = qobject_cast<TFormNewV *>(modal);
        if (!dialog)
            return;
        shown.messages << dialog->LblMessage->text();
        shown.download << dialog->BtnDownload->isVisible();
        shown.covered << m_covered();
        QWidget *focus = dialog->focusWidget() ? dialog->focusWidget() : dialog;
        if (m_closing == Closing::CloseButton)
            QTest::mouseClick(dialog->BtnClose, Qt::LeftButton);
        else if (m_closing == Closing::Download)
            QTest::mouseClick(dialog->BtnDownload, Qt::LeftButton);
        else if (m_closing == Closing::EnterOnDownload)
            QTest::keyClick(dialog->BtnDownload, Qt::Key_Return);
        else
            QTest::keyClick(focus, m_closing == Closing::Enter ? Qt::Key_Return : Qt::Key_Escape);
        // A dialog that ignored its key must not hold the test up; the counts tell.
        if (dialog->isVisible())
            dialog->done(-1);
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
    void initTestCase() { std::setlocale(LC_NUMERIC, "C"); }
    void init();
    void cleanup();

    void versionFile_data();
    void versionFile();
    void answerFromServer_data();
    void answerFromServer();
    void onlyDownloadOpensThePage_data();
    void onlyDownloadOpensThePage();
    void pageThatDoesNotOpenIsReported();
    void windowAnswersWhileTheServerThinks();
    void dialogLook();
    void menuItemAndButtonRunTheCheck();

private:
    // Runs one check to its end, closing the dialog as given.
    bool runCheck(Closing closing = Closing::CloseButton);

    std::unique_ptr<TFilterGraph> m_graph;
    std::unique_ptr<VersionServer> m_server;
    QWidget *m_window = nullptr;
    Synchronisation *m_sync = nullptr;
    UpdateCheck *m_check = nullptr;
    QAction *m_item = nullptr;
    QToolButton *m_button = nullptr;
    QList<QUrl> m_opened;
    bool m_pageOpens = true;
    Shown m_shown;
};

void TestUpdateCheck::init()
{
    m_graph = std::make_unique<TFilterGraph>();
    m_server = std::make_unique<VersionServer>();
    m_window = new QWidget;
    m_sync = new Synchronisation(*m_graph, *new TDSTrackBar(m_window),
                                 *new QSlider(Qt::Horizontal, m_window), *new QLabel(m_window),
                                 m_window);
    m_check
        = new UpdateCheck(*m_sync, m_window, {m_server->url(), kDownloadPage, kPatientTimeoutMs});
    m_item = new QAction(m_window);
    m_button = new QToolButton(m_window);
    m_check->AddFace(m_item);
    m_check->AddFace(m_button);
    m_check->SetDialog(new TFormNewV(m_window));
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
    const bool ended = QTest::qWaitFor([&] { return finished.count() == 1; }, 20000);
    m_shown = answerer.shown;
    return ended && !m_check->Running() && m_item->isEnabled() && m_button->isEnabled()
        && !m_sync->VideoCovered();
}

void TestUpdateCheck::versionFile_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("error");
    QTest::newRow("running version") << raw("\x01\x00\x03") << kNotFound << "";
    QTest::newRow("older version") << raw("\x00\x09\x99") << kNotFound << "";
    QTest::newRow("next build") << raw("\x01\x00\x04") << newVersion("1.0.4") << "";
    QTest::newRow("two-digit minor") << raw("\x02\x10\x00\xff") << newVersion("2.10.0") << "";
    // A truncated file holds no version, not the start of one.
    QTest::newRow("two bytes") << raw("\x02\x10") << kNotFound << "";
    QTest::newRow("html page") << QByteArray("<!DOCTYPE html>") << ""
                               << "'3C2144' is not a valid integer value";
    QTest::newRow("hex digit") << raw("\x01\x00\x0f") << ""
                               << "'01000F' is not a valid integer value";
}

void TestUpdateCheck::versionFile()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, message);
    QFETCH(QString, error);
    try {
        const VersionMessage shown = VersionMessageFor(FetchResultFromBody(body, 10003));
        QCOMPARE(shown.text, message);
        QCOMPARE(shown.offersDownload, message != kNotFound);
    } catch (const UpdateCheckError &raised) {
        QCOMPARE(QString::fromUtf8(raised.what()), error);
    }
}

void TestUpdateCheck::answerFromServer_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("endless");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("error");
    QTest::newRow("running version") << response(raw("\x01\x00\x03")) << false << kNotFound << "";
    QTest::newRow("newer version")
        << response(raw("\x02\x10\x00")) << false << newVersion("2.10.0") << "";
    QTest::newRow("html page") << response("<html></html>") << false << ""
                               << "'3C6874' is not a valid integer value.";
    // Whatever an error page holds, the version file was not reached.
    QTest::newRow("missing file") << response("<html>", 404) << false << kFailed << "";
    QTest::newRow("error status, version bytes")
        << response(raw("\x01\x00\x04"), 500) << false << kFailed << "";
    // Only the head counts: a body (or an error page) without an end is not waited for.
    QTest::newRow("body without end")
        << raw("HTTP/1.1 200 OK\r\n\r\n\x01\x00\x04 and more") << true << newVersion("1.0.4") << "";
    QTest::newRow("error page without end")
        << QByteArray("HTTP/1.1 503 Busy\r\n\r\n<html>") << true << kFailed << "";
    QTest::newRow("closed port") << QByteArray("closed port") << false << kFailed << "";
    QTest::newRow("silent server") << QByteArray() << false << kFailed << "";
}

void TestUpdateCheck::answerFromServer()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, endless);
    QFETCH(QString, message);
    QFETCH(QString, error);
    m_server->answer = answer;
    m_server->endless = endless;
    if (answer == "closed port")
        m_server->close();
    else if (answer.isEmpty())
        m_check->SetTimeout(100);
    QVERIFY(runCheck());
    QCOMPARE(m_shown.messages, message.isEmpty() ? QStringList() : QStringList {message});
    QCOMPARE(m_shown.errors, error.isEmpty() ? QStringList() : QStringList {error});
    if (!message.isEmpty()) {
        QCOMPARE(m_shown.download, QList<bool> {message != kNotFound && message != kFailed});
        QCOMPARE(m_shown.covered, QList<bool> {true});
    }
    QVERIFY(m_opened.isEmpty());
}

void TestUpdateCheck::onlyDownloadOpensThePage_data()
{
    QTest::addColumn<Closing>("closing");
    QTest::newRow("close button") << Closing::CloseButton;
    QTest::newRow("enter") << Closing::Enter;
    QTest::newRow("enter on download") << Closing::EnterOnDownload;
    QTest::newRow("escape") << Closing::Escape;
    QTest::newRow("download") << Closing::Download;
}

void TestUpdateCheck::onlyDownloadOpensThePage()
{
    QFETCH(Closing, closing);
    m_server->answer = response(raw("\x01\x00\x04"));
    QVERIFY(runCheck(closing));
    QCOMPARE(m_shown.download, QList<bool> {true});
    QCOMPARE(m_opened, closing == Closing::Download ? QList<QUrl> {kDownloadPage} : QList<QUrl>());
    // The next answer offers no download unless it is a newer version too.
    m_server->answer = response(raw("\x01\x00\x03"));
    QVERIFY(runCheck());
    QCOMPARE(m_shown.messages, QStringList {kNotFound});
    QCOMPARE(m_shown.download, QList<bool> {false});
    QVERIFY(m_shown.errors.isEmpty());
}

void TestUpdateCheck::pageThatDoesNotOpenIsReported()
{
    m_pageOpens = false;
    m_server->answer = response(raw("\x02\x00\x00"));
    QVERIFY(runCheck(Closing::Download));
    QCOMPARE(m_opened, QList<QUrl> {kDownloadPage});
    QCOMPARE(m_shown.errors,
             QStringList {"Unable to open the download page " + kDownloadPage.toString() + "."});
}

void TestUpdateCheck::windowAnswersWhileTheServerThinks()
{
    ModalAnswerer answerer(Closing::CloseButton, [] { return true; });
    QSignalSpy finished(m_check, &UpdateCheck::Finished);
    m_check->MnuNewClick();
    // The server runs on this thread: its reading the request proves the loop goes on.
    QTRY_COMPARE(m_server->requests, 1);
    QVERIFY(m_server->lastRequest.startsWith("GET /Keldric/pnikut.wox HTTP/1.1\r\n"));
    QVERIFY(m_server->lastRequest.contains("\r\nUser-Agent: Duvara/1.0.3\r\n"));
    QVERIFY(m_check->Running());
    QVERIFY(!m_item->isEnabled());
    QVERIFY(!m_button->isEnabled());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);

    // A second request meanwhile starts nothing: one answer ends everything.
    m_check->MnuNewClick();
    m_server->answerWaiting(response(raw("\x01\x00\x03")));
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(answerer.shown.messages, QStringList {kNotFound});
    QVERIFY(!m_check->Running());
    QCOMPARE(m_server->requests, 1);
    QVERIFY(m_item->isEnabled());
}

void TestUpdateCheck::dialogLook()
{
    TFormNewV dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("New version"));
    QCOMPARE(dialog.layout()->sizeConstraint(), QLayout::SetFixedSize);
    QVERIFY(dialog.BtnClose->isDefault());
    QVERIFY(!dialog.BtnDownload->isVisibleTo(&dialog));
    QVERIFY(dialog.LblMessage->wordWrap());
    dialog.adjustSize();
    QVERIFY(dialog.ImgNew->geometry().right() < dialog.LblMessage->geometry().left());
}

void TestUpdateCheck::menuItemAndButtonRunTheCheck()
{
    m_server->answer = response(raw("\x01\x00\x03"));
    qputenv("DUVARA_VERSION_URL", m_server->url().toEncoded());
    TFormVDMain window;
    qunsetenv("DUVARA_VERSION_URL");
    QAction *item = window.findChild<TRPopupMenu *>("PopupMenu1")->item("MnuNew");
    QToolButton *button = window.findChild<VideoPage *>("TabVideo")->BtnNew;
    // Without its dialog the check cannot run, and says so by being disabled.
    QVERIFY(!item->isEnabled());
    QVERIFY(!button->isEnabled());
    window.CreateOtherWindows();
    QVERIFY(item->isEnabled());
    QVERIFY(button->isEnabled());
    QCOMPARE(item->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));

    ModalAnswerer answerer(Closing::Escape,
                           [&] { return window.synchronisation().VideoCovered(); });
    QSignalSpy finished(&window.updateCheck(), &UpdateCheck::Finished);
    item->trigger();
    QTRY_COMPARE(finished.count(), 1);
    button->click();
    QTRY_COMPARE(finished.count(), 2);
    QCOMPARE(answerer.shown.messages, (QStringList {kNotFound, kNotFound}));
    QCOMPARE(answerer.shown.covered, (QList<bool> {true, true}));
    QCOMPARE(m_server->requests, 2);
}

QTEST_MAIN(TestUpdateCheck)
#include "tst_update_check.moc"
