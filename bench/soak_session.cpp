// A long session of the player, for its memory: the player's own window plays a playlist of films
// from end to end, again and again, with both subtitle tracks open on each film; every film also
// runs at the fast-motion ladder's ends both ways and is sought forward and back. The resident
// memory is printed every 30 s, with the pass through the playlist and the film playing.
//
//   duvara-soak MINUTES FILM PRIMARY SECONDARY [FILM PRIMARY SECONDARY ...]
//
// The subtitle files are opened through the tracks' own open path each time their film starts.
// Prints, at the end, the memory at the end of the first pass and the growth after it, and the
// frames the core dropped over the whole session.
#include "../tests/shell/window_test_support.h"
#include "media/ds_track_bar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <vector>

using namespace duvara;
using duvara::test::child;

namespace {

struct Film
{
    QString path;
    QString primary;
    QString secondary;
};

// What happens to each film, by the seconds since it started: it plays, runs at 16, plays, is
// sought near its end, runs at -16, plays, is sought back near its start, and plays to its end.
enum class Step { FastForward, Play, SeekForward, FastBackward, SeekBack };
struct TimedStep
{
    int atMs;
    Step step;
};
constexpr TimedStep kSteps[] = {
    {3000, Step::FastForward},   {5000, Step::Play},  {8000, Step::SeekForward},
    {10000, Step::FastBackward}, {12000, Step::Play}, {14000, Step::SeekBack},
};
constexpr int kSampleMs = 30000;

double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

class Session : public QObject
{
public:
    Session(TFormVDMain &window, std::vector<Film> films, int minutes)
        : m_window(window)
        , m_films(std::move(films))
        , m_minutes(minutes)
    {
        connect(&window.filterGraph(), &TFilterGraph::LostFramesReported, this,
                [this](qint64 dropped, qint64) { m_dropped += dropped; });
        connect(&window.transport(), &Transport::Stopped, this, [this] {
            // The playlist's end: the next pass starts from its first film.
            if (m_window.playlist().PlayIndex() == int(m_films.size()) - 1)
                QTimer::singleShot(1000, this, [this] { m_window.transport().PlayRow(0); });
        });
        connect(&m_tick, &QTimer::timeout, this, &Session::tick);
    }

    void start()
    {
        QStringList paths;
        for (const Film &film : m_films)
            paths << film.path;
        m_window.playlist().OpenFiles(paths);
        m_clock.start();
        m_tick.start(250);
        std::printf("%8s %5s %5s %9s\n", "seconds", "pass", "film", "RSS MB");
        sample();
    }

private:
    void tick()
    {
        const int row = m_window.playlist().PlayIndex();
        if (row != m_row && row >= 0) {
            if (row < m_row)
                endPass();
            m_row = row;
            m_filmClock.start();
            m_nextStep = 0;
            openSubtitles(m_films[std::size_t(row)]);
        }
        if (m_row >= 0 && m_nextStep < int(std::size(kSteps))
            && m_filmClock.elapsed() >= kSteps[m_nextStep].atMs)
            perform(kSteps[m_nextStep++].step);
        if (m_clock.elapsed() >= m_nextPeakMs) {
            notePeak();
            m_nextPeakMs += 1000;
        }
        if (m_clock.elapsed() >= m_nextSampleMs)
            sample();
        if (m_clock.elapsed() >= qint64(m_minutes) * 60000)
            finish();
    }

    void openSubtitles(const Film &film)
    {
        if (m_window.primaryTrack().FilePath() != film.primary)
            m_window.primaryTrack().OpenSubtitleFile(film.primary);
        if (m_window.secondaryTrack().FilePath() != film.secondary)
            m_window.secondaryTrack().OpenSubtitleFile(film.secondary);
    }

    void perform(Step step)
    {
        Transport &transport = m_window.transport();
        switch (step) {
        case Step::FastForward:
            while (transport.Speed() < 16.0 && transport.CommandEnabled(Transport::Command::FF))
                transport.BtnFFClick();
            break;
        case Step::FastBackward:
            while (transport.Speed() > -16.0 && transport.CommandEnabled(Transport::Command::Rew))
                transport.BtnRewClick();
            break;
        case Step::Play:
            transport.BtnPlayClick();
            break;
        case Step::SeekForward:
            seekTo(0.8);
            break;
        case Step::SeekBack:
            seekTo(0.1);
            break;
        }
    }

    // As a click on the position bar does.
    void seekTo(double fraction)
    {
        TDSTrackBar *bar = child<VideoPage>(&m_window, "TabVideo")->SldDS;
        if (!bar->isEnabled() || bar->maximum() <= 0)
            return;
        bar->setValue(int(bar->maximum() * fraction));
        bar->MouseUp(Qt::LeftButton);
    }

    // Every second: the passes' highest values are followed closely, the curve every 30 s.
    void notePeak()
    {
        const double rss = residentMb();
        if (m_pass > 1)
            m_maxAfterFirstPass = std::max(m_maxAfterFirstPass, rss);
        if (m_passPeaks.size() < std::size_t(m_pass))
            m_passPeaks.resize(std::size_t(m_pass), 0.0);
        double &peak = m_passPeaks[std::size_t(m_pass) - 1];
        peak = std::max(peak, rss);
    }

    void sample()
    {
        const double rss = residentMb();
        std::printf("%8lld %5d %5d %9.1f\n", m_clock.elapsed() / 1000, m_pass, m_row + 1, rss);
        std::fflush(stdout);
        m_nextSampleMs += kSampleMs;
    }

    void endPass()
    {
        if (m_pass == 1) {
            m_firstPassRss = residentMb();
            std::printf("# end of the first pass: %.1f MB\n", m_firstPassRss);
        }
        ++m_pass;
    }

    void finish()
    {
        m_tick.stop();
        const double rss = residentMb();
        std::printf("# %d passes begun in %d minutes\n", m_pass, m_minutes);
        if (m_pass > 1) {
            std::printf("# after the first pass: %.1f MB at its end, %.1f MB at most since, %.1f "
                        "MB now: growth %+.1f MB (at most %+.1f)\n",
                        m_firstPassRss, m_maxAfterFirstPass, rss, rss - m_firstPassRss,
                        m_maxAfterFirstPass - m_firstPassRss);
        } else {
            std::printf("# the first pass did not end: make the films shorter or the run longer\n");
        }
        // The films differ in size, so the memory rises and falls with them: the passes'
        // highest values compare like with like.
        std::printf("# highest in each pass:");
        for (const double peak : m_passPeaks)
            std::printf(" %.1f", peak);
        std::printf(" MB\n");
        if (m_passPeaks.size() > 2)
            std::printf("# the last whole pass's highest against the first's: %+.1f MB\n",
                        m_passPeaks[m_passPeaks.size() - 2] - m_passPeaks[0]);
        std::printf("# frames dropped over the session: %lld\n", static_cast<long long>(m_dropped));
        std::fflush(stdout);
        m_window.MnuExitClick();
    }

    TFormVDMain &m_window;
    std::vector<Film> m_films;
    int m_minutes;
    QTimer m_tick;
    QElapsedTimer m_clock;
    QElapsedTimer m_filmClock;
    qint64 m_nextSampleMs = 0;
    qint64 m_nextPeakMs = 0;
    int m_row = -1;
    int m_nextStep = 0;
    int m_pass = 1;
    double m_firstPassRss = 0;
    double m_maxAfterFirstPass = 0;
    std::vector<double> m_passPeaks;
    qint64 m_dropped = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Duvara"));
    std::setlocale(LC_NUMERIC, "C");
    if (argc < 5 || (argc - 2) % 3 != 0) {
        std::fprintf(stderr,
                     "usage: %s MINUTES FILM PRIMARY SECONDARY [FILM PRIMARY SECONDARY ...]\n",
                     argv[0]);
        return 2;
    }
    const int minutes = std::atoi(argv[1]);
    std::vector<Film> films;
    for (int i = 2; i + 2 < argc; i += 3)
        films.push_back({QString::fromLocal8Bit(argv[i]), QString::fromLocal8Bit(argv[i + 1]),
                         QString::fromLocal8Bit(argv[i + 2])});
    TFormVDMain window;
    window.CreateOtherWindows();
    window.show();
    Session session(window, std::move(films), minutes);
    QTimer::singleShot(0, &session, &Session::start);
    return QApplication::exec();
}
