// Probes every file named on the command line the way the playlist does and prints the time
// taken in all and per file.
#include "media/filter_graph.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <clocale>
#include <cstdio>
#include <exception>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QStringList files = app.arguments().mid(1);
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: duvara-probe-bench FILE...\n");
        return 2;
    }
    duvara::TFilterGraph probe;
    QElapsedTimer clock;
    clock.start();
    qint64 total = 0;
    for (const QString &file : files) {
        try {
            total += probe.ProbeDuration(file);
        } catch (const std::exception &error) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(file), error.what());
            return 1;
        }
    }
    const double ms = clock.nsecsElapsed() / 1e6;
    std::printf("probed %lld files in %.1f ms (%.3f ms a file), %.1f s of media\n",
                static_cast<long long>(files.size()), ms, ms / double(files.size()),
                double(total) / 1e7);
    return 0;
}
