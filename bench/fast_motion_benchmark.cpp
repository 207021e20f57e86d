// CPU of fast motion on a film: the player's window plays it, then runs at 16 and at -16 (one
// seek per movement tick), and prints CPU seconds per wall second for normal play and for each
// speed. Usage: duvara-fast-motion-bench FILM [SECONDS]
#include "../tests/shell/window_test_support.h"
#include "controls/video_page.h"
#include "media/ds_track_bar.h"
#include "shell/main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSlider>
#include <QTimer>

#include <sys/resource.h>

#include <clocale>
#include <cstdio>

using namespace duvara;
using duvara::test::child;

namespace {

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds per wall second while the event loop runs for the given time.
double cpuLoad(int seconds)
{
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runFor(seconds * 1000);
    return (cpuSeconds() - cpuBefore) / (double(wall.elapsed()) / 1000.0);
}

double positionSeconds(TFormVDMain &window)
{
    return double(window.filterGraph().CurrentPosition().value_or(0)) / 1e7;
}

// The load at the window's present speed, and how far the film moved meanwhile.
void reportSpeed(TFormVDMain &window, int seconds)
{
    const double from = positionSeconds(window);
    const double load = cpuLoad(seconds);
    std::printf("speed %g: %.3f CPU-s per s, film moved %.1f s in %d s\n",
                window.transport().Speed(), load, positionSeconds(window) - from, seconds);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILM [SECONDS]\n", argv[0]);
        return 2;
    }
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 5;
    TFormVDMain window;
    window.filterGraph().SetAudioEnabled(false);
    window.resize(1280, 800);
    window.show();
    window.OpenFileByName(QString::fromLocal8Bit(argv[1]));
    for (int waited = 0; !child<QSlider>(&window, "SldPos")->isEnabled() && waited < 15000;
         waited += 50)
        runFor(50);
    if (!child<QSlider>(&window, "SldPos")->isEnabled()) {
        std::fprintf(stderr, "the film did not start\n");
        return 1;
    }
    std::printf("normal play: %.3f CPU-s per s\n", cpuLoad(seconds));

    for (int press = 0; press < 4; ++press)
        window.transport().BtnFFClick();
    reportSpeed(window, seconds);

    // Backward from near the end.
    window.transport().BtnPauseClick();
    child<QSlider>(&window, "SldPos")
        ->setValue(child<QSlider>(&window, "SldPos")->maximum() - 2000);
    child<VideoPage>(&window, "TabVideo")->SldDS->MouseUp(Qt::LeftButton);
    runFor(500);
    while (window.transport().Speed() != -16.0)
        window.transport().BtnRewClick();
    reportSpeed(window, seconds);
    window.MnuExitClick();
    return 0;
}
