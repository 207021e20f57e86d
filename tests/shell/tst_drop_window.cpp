// Files dropped on the real window as a file manager drops them, the drag events sent to the
// very widgets the window system hands them to: films on the picture replace the playlist and
// play, films on the playlist go in at their row, a subtitle file goes to the track of its half
// (in fullscreen and on the remote too), and what cannot be opened is named. On a real desktop
// (tst_drop_window_desktop) one drag comes from another program and one moves a playlist row.
#include "controls/form_remote.h"
#include "window_test_support.h"

#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <memory>
#include <optional>

using namespace duvara;
using namespace duvara::test;

namespace {

constexpr Qt::DropActions kOffered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

// Enter, move and drop, as the window system sends them; whether the drop was taken, as a copy.
bool drop(QWidget *target, QPoint at, const QStringList &names, bool textOnly = false)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &name : names)
        urls << (name.contains("://") ? QUrl(name) : QUrl::fromLocalFile(name));
    textOnly ? data.setText(names.join('\n')) : data.setUrls(urls);
    QDragEnterEvent enter(at, kOffered, &data, Qt::LeftButton, Qt::NoModifier);
    QDragMoveEvent move(at, kOffered, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent dropped(at, kOffered, &data, Qt::LeftButton, Qt::NoModifier);
    for (QDropEvent *event : std::initializer_list<QDropEvent *> {&enter, &move, &dropped}) {
        QApplication::sendEvent(target, event);
        if (!event->isAccepted() || event->dropAction() != Qt::CopyAction)
            return false;
    }
    return true;
}

// The next message box's text, once it was answered.
std::shared_ptr<QString> answerNextMessage()
{
    auto text = std::make_shared<QString>();
    onNextModal<QMessageBox>([text](QMessageBox *box) {
        *text = box->windowTitle() + ": " + box->text();
        box->accept();
    });
    return text;
}

} // namespace

class TestDropWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void filmsOnThePictureReplaceThePlaylistAndPlay_data();
    void filmsOnThePictureReplaceThePlaylistAndPlay();
    void filmsOnThePlaylistGoInAtTheirRow_data();
    void filmsOnThePlaylistGoInAtTheirRow();
    void subtitleFileGoesToTheTrackOfItsHalf_data();
    void subtitleFileGoesToTheTrackOfItsHalf();
    void mixedDrops();
    void fullScreenPictureAndRemoteTakeDrops();
    void realDragFromAnotherProgram();
    void realDragOfARowWithinThePlaylist();

private:
    void play(const QStringList &films);
    QStringList rows() const;
    QString playing() const;
    QWidget *idle() const { return child<QWidget>(m_window, "ImgIdle"); }
    QPoint onHalf(QWidget *w, bool upper) const
    {
        return {w->width() / 2, w->height() / (upper ? 4 : 1) - 4};
    }

    QTemporaryDir m_dir;
    QString m_a, m_b, m_c, m_en, m_de, m_fr, m_broken;
    TFormVDMain *m_window = nullptr;
    TDSVideoWindowEx2 *m_video = nullptr;
    RListView *m_list = nullptr;
};

void TestDropWindow::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("XDG_DATA_HOME"))
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("data")));
    m_a = m_dir.filePath("a.mp4");
    m_b = m_dir.filePath("b.mp4");
    m_c = m_dir.filePath("c & d.mp4");
    for (const QString &film : {m_a, m_b, m_c})
        QVERIFY(QFile::copy(DUVARA_DEMO_FILM, film));
    m_en = m_dir.filePath("film.en.srt");
    m_de = m_dir.filePath("film.de.SRT");
    m_fr = m_dir.filePath("film.fr.srt");
    m_broken = m_dir.filePath("broken.srt");
    for (const QString &name : {m_en, m_de, m_fr, m_broken}) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(name == m_broken ? "no subtitles\n" : "1\n00:00:01,000 --> 00:00:02,000\nHi\n");
    }
}

void TestDropWindow::init()
{
    m_window = newSilentWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_video = child<TDSVideoWindowEx2>(m_window, "VideoWnd");
    m_list = child<RListView>(m_window, "LstPL");
}

void TestDropWindow::cleanup()
{
    delete m_window;
}

void TestDropWindow::play(const QStringList &films)
{
    m_window->playlist().OpenFiles(films);
    QTRY_VERIFY_WITH_TIMEOUT(child<QSlider>(m_window, "SldPos")->isEnabled(), kPlaybackTimeoutMs);
}

QStringList TestDropWindow::rows() const
{
    QStringList names;
    for (int row = 0; row < m_window->playlist().Count(); ++row)
        names << QFileInfo(m_window->playlist().PlaylistPath(row)).completeBaseName();
    return names;
}

QString TestDropWindow::playing() const
{
    const Playlist &list = m_window->playlist();
    return m_window->filterGraph().Active() ? list.PlaylistPath(list.PlayIndex()) : QString();
}

void TestDropWindow::filmsOnThePictureReplaceThePlaylistAndPlay_data()
{
    QTest::addColumn<bool>("filmBefore");
    QTest::newRow("on the playing picture") << true;
    QTest::newRow("on the idle picture") << false;
}

void TestDropWindow::filmsOnThePictureReplaceThePlaylistAndPlay()
{
    QFETCH(bool, filmBefore);
    if (filmBefore)
        play({m_a});
    QWidget *picture = filmBefore ? m_video : idle();
    QSignalSpy started(&m_window->transport(), &Transport::MediaStarted);
    QVERIFY(drop(picture, picture->rect().center(), {m_b, m_c}));
    QTRY_VERIFY_WITH_TIMEOUT(started.count() > 0, kPlaybackTimeoutMs);
    QCOMPARE(rows(), QStringList({"b", "c & d"}));
    QCOMPARE(playing(), m_b);
    QVERIFY(m_video->isVisible());
}

void TestDropWindow::filmsOnThePlaylistGoInAtTheirRow_data()
{
    QTest::addColumn<int>("row"); // dropped on; -1 below the last
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("playIndex"); // a plays, and keeps its mark
    QTest::newRow("on the first row") << 0 << QStringList {"c & d", "a", "b"} << 1;
    QTest::newRow("on the second row") << 1 << QStringList {"a", "c & d", "b"} << 0;
    QTest::newRow("below the last row") << -1 << QStringList {"a", "b", "c & d"} << 0;
}

void TestDropWindow::filmsOnThePlaylistGoInAtTheirRow()
{
    QFETCH(int, row);
    QFETCH(QStringList, expected);
    QFETCH(int, playIndex);
    play({m_a, m_b});
    QSignalSpy started(&m_window->transport(), &Transport::MediaStarted);
    const QPoint at = row >= 0 ? m_list->visualItemRect(m_list->topLevelItem(row)).center()
                               : QPoint(10, m_list->viewport()->height() - 5);
    QVERIFY(drop(m_list->viewport(), at, {m_c}));
    QTRY_COMPARE(rows(), expected);
    QCOMPARE(m_window->playlist().PlayIndex(), playIndex);
    QCOMPARE(playing(), m_a);
    QCOMPARE(started.count(), 0); // as Add: nothing starts
}

void TestDropWindow::subtitleFileGoesToTheTrackOfItsHalf_data()
{
    QTest::addColumn<bool>("withFilm"); // on a film's picture, or on the idle picture
    QTest::addColumn<bool>("upper");
    QTest::addColumn<bool>("broken");
    QTest::newRow("upper half of the film") << true << true << false;
    QTest::newRow("lower half of the film") << true << false << false;
    QTest::newRow("upper half of the idle picture") << false << true << false;
    QTest::newRow("unreadable file on the lower half") << false << false << true;
}

void TestDropWindow::subtitleFileGoesToTheTrackOfItsHalf()
{
    QFETCH(bool, withFilm);
    QFETCH(bool, upper);
    QFETCH(bool, broken);
    if (withFilm)
        play({m_a});
    QWidget *picture = withFilm ? m_video : idle();
    SubtitleTrackController &wanted = upper ? m_window->secondaryTrack() : m_window->primaryTrack();
    SubtitleTrackController &other = upper ? m_window->primaryTrack() : m_window->secondaryTrack();
    const auto message = broken ? answerNextMessage() : nullptr;
    QVERIFY(drop(picture, onHalf(picture, upper), {broken ? m_broken : m_en}));
    if (broken) // as the track's own Open says it
        QTRY_COMPARE(*message, "Error: File load error or unsupported file format");
    else
        QTRY_COMPARE(wanted.FilePath(), m_en);
    QCOMPARE(wanted.Track().SubCount(), broken ? 0 : 1);
    QCOMPARE(other.Track().SubCount(), 0);
}

// A film with its subtitle files, one too many and a web address on the lower half: the film
// plays, the first file goes to the bottom track and the second to the top one, the rest is
// named. On the playlist the film goes in and the subtitle file is named. A drag that names no
// file is refused while it passes; an address is taken, so that it can be named.
void TestDropWindow::mixedDrops()
{
    for (QWidget *target : {idle(), m_list->viewport()})
        QVERIFY(!drop(target, target->rect().center(), {m_a}, true));
    auto message = answerNextMessage();
    QVERIFY(
        drop(idle(), onHalf(idle(), false), {m_en, m_a, m_de, "https://example.com/x.mp4", m_fr}));
    QTRY_COMPARE(*message,
                 "Duvara: Only files on this computer can be opened. Not opened: "
                 "\"https://example.com/x.mp4\"\nEach track takes one subtitle file: "
                 "two can be dropped at once. Not opened: \"film.fr.srt\"");
    QCOMPARE(playing(), m_a);
    QCOMPARE(m_window->primaryTrack().FilePath(), m_en);
    QCOMPARE(m_window->secondaryTrack().FilePath(), m_de);

    message = answerNextMessage();
    QVERIFY(drop(m_list->viewport(), QPoint(10, m_list->viewport()->height() - 5), {m_b, m_fr}));
    QTRY_VERIFY(message->endsWith("Not added to the playlist: \"film.fr.srt\""));
    QCOMPARE(rows(), QStringList({"a", "b"}));
    QCOMPARE(m_window->primaryTrack().FilePath(), m_en);
}

// In fullscreen the picture lives in a window of its own, and the remote floats over its lower
// quarter: both take drops as the picture does.
void TestDropWindow::fullScreenPictureAndRemoteTakeDrops()
{
    play({m_a});
    m_window->videoCommands().VideoWndDblClick();
    QVERIFY(m_video->FullScreen() && m_video->window() != m_window);
    QVERIFY(drop(m_video, onHalf(m_video, true), {m_de}));
    QTRY_COMPARE(m_window->secondaryTrack().FilePath(), m_de);

    auto *remote = child<TFormRemote>(m_window, "FormRemote");
    // Near the remote's own top, which is the picture's lower half.
    const QPoint at(remote->width() / 2, 2);
    QTRY_VERIFY(m_video->mapFromGlobal(remote->mapToGlobal(at)).y() > m_video->height() / 2);
    QVERIFY(drop(remote, at, {m_en}));
    QTRY_COMPARE(m_window->primaryTrack().FilePath(), m_en);
}

#define REQUIRE_DESKTOP() \
    if (QGuiApplication::platformName() != QLatin1String("xcb")) \
    QSKIP("runs on a real desktop (tst_drop_window_desktop)")

static void xdotool(const QStringList &arguments)
{
    QCOMPARE(QProcess::execute("xdotool", arguments), 0);
}

static QStringList pointerTo(const QPoint &at)
{
    return {"mousemove", QString::number(at.x()), QString::number(at.y())};
}

// A loaded machine can take seconds to map a window or pass an event on.
constexpr int kDesktopTimeoutMs = 20000;

// The button a real drag holds down is let go however the test ends: left held, the pointer
// stays with whichever window took the press, and no later press reaches any other.
struct ReleaseButtonAtEnd
{
    ReleaseButtonAtEnd() = default;
    ReleaseButtonAtEnd(const ReleaseButtonAtEnd &) = delete;
    ReleaseButtonAtEnd &operator=(const ReleaseButtonAtEnd &) = delete;
    ~ReleaseButtonAtEnd() { QProcess::execute("xdotool", {"mouseup", "1"}); }
};

// A subtitle file offered by another program (drag_source), carried by the X server (XDND) to
// the upper half of the picture.
void TestDropWindow::realDragFromAnotherProgram()
{
    REQUIRE_DESKTOP();
    struct Watch : QObject
    {
        int moves = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            moves += event->type() == QEvent::DragMove;
            return false;
        }
    } watch;
    play({m_a});
    m_video->installEventFilter(&watch);
    QProcess source;
    source.start(DUVARA_DRAG_SOURCE, {m_de});
    const auto line = [&source] {
        return QTest::qWaitFor([&] { return source.canReadLine(); }, kDesktopTimeoutMs)
            ? source.readLine().trimmed()
            : QByteArray();
    };
    const QList<QByteArray> ready = line().split(' '); // "ready x y": its centre, once mapped
    QCOMPARE(ready.value(0), "ready");
    const QPoint to = m_video->mapToGlobal(onHalf(m_video, true));
    const ReleaseButtonAtEnd release;
    xdotool(pointerTo({ready.value(1).toInt(), ready.value(2).toInt()}));
    // Pressed once the source has the pointer, so that the press is the source's.
    QCOMPARE(line(), "pointer in");
    xdotool({"mousedown", "1"});
    QCOMPARE(line(), "dragging");
    // The source sends its next position only once the last was answered: a second one seen
    // here means the picture's answer reached it, and the drop will be made.
    xdotool(pointerTo(to));
    QTRY_VERIFY_WITH_TIMEOUT(watch.moves > 0, kDesktopTimeoutMs);
    xdotool(pointerTo(to + QPoint(3, 3)));
    QTRY_VERIFY_WITH_TIMEOUT(watch.moves > 1, kDesktopTimeoutMs);
    xdotool({"mouseup", "1"});
    QTRY_COMPARE_WITH_TIMEOUT(m_window->secondaryTrack().FilePath(), m_de, kDesktopTimeoutMs);
    QCOMPARE(m_window->primaryTrack().Track().SubCount(), 0);
    QCOMPARE(line(), "dropped copy");
    source.closeWriteChannel();
    QVERIFY(source.waitForFinished());
}

// The playlist's own rows still move by a drag within it, beside the drops from elsewhere.
void TestDropWindow::realDragOfARowWithinThePlaylist()
{
    REQUIRE_DESKTOP();
    struct Watch : QObject
    {
        std::optional<QPoint> over;
        int presses = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            presses += event->type() == QEvent::MouseButtonPress;
            if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove)
                over = static_cast<QDropEvent *>(event)->position().toPoint();
            return false;
        }
    } watch;
    play({m_a, m_b, m_c});
    m_list->viewport()->installEventFilter(&watch);
    const auto row = [this](int r) {
        return m_list->viewport()->mapToGlobal(
            m_list->visualItemRect(m_list->topLevelItem(r)).center());
    };
    const ReleaseButtonAtEnd release;
    xdotool(pointerTo(row(0)));
    // Pressed once the list has the pointer, so that the press is the first row's.
    QTRY_VERIFY_WITH_TIMEOUT(m_list->viewport()->underMouse(), kDesktopTimeoutMs);
    xdotool({"mousedown", "1"});
    QTRY_COMPARE_WITH_TIMEOUT(watch.presses, 1, kDesktopTimeoutMs);
    // Once the drag has begun its own event loop runs until the button is let go: each next
    // step is taken from a timer once the list has seen the last. Movements queued together
    // arrive as one, and the drag needs one of its own to find the list: it is nudged.
    int step = 0;
    int nudges = 0;
    QTimer driver;
    connect(&driver, &QTimer::timeout, this, [&] {
        if (step == 0 && !watch.over) {
            xdotool(pointerTo(row(1) + QPoint(0, nudges++ % 2)));
        } else if (step == 0) {
            xdotool(pointerTo(row(2)));
            step = 1;
        } else if (m_list->itemAt(*watch.over) == m_list->topLevelItem(2)) {
            xdotool({"mouseup", "1"});
            driver.stop();
        }
    });
    driver.start(20);
    QTRY_COMPARE_WITH_TIMEOUT(rows(), QStringList({"b", "a", "c & d"}), kDesktopTimeoutMs);
    QCOMPARE(m_window->playlist().PlayIndex(), 1); // the playing row's mark went with it
}

QTEST_MAIN(TestDropWindow)
#include "tst_drop_window.moc"
