#include "shell/termination_signals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

using duvara::TerminationSignals;

namespace {

using Handler = void (*)(int);

Handler currentHandler(int number)
{
    struct sigaction now = {};
    ::sigaction(number, nullptr, &now);
    return now.sa_handler;
}

} // namespace

class TestTerminationSignals : public QObject
{
    Q_OBJECT
private slots:
    void signalAsksOnceThenEndsAsBefore_data();
    void signalAsksOnceThenEndsAsBefore();
    void ignoredSignalStaysIgnored();
    void handlersComeBackWhenTheWatcherGoes();
    void onlyOneWatcher();
};

void TestTerminationSignals::signalAsksOnceThenEndsAsBefore_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void TestTerminationSignals::signalAsksOnceThenEndsAsBefore()
{
    QFETCH(int, number);
    TerminationSignals watcher;
    QVERIFY(watcher.watching());
    QSignalSpy asked(&watcher, &TerminationSignals::terminationRequested);
    QCOMPARE(::raise(number), 0);
    QTRY_COMPARE(asked.count(), 1);
    QCOMPARE(asked.first().first().toInt(), number);
    // A second signal would end the process the system's way, not wait for the event loop.
    QVERIFY(currentHandler(number) == SIG_DFL);
}

void TestTerminationSignals::ignoredSignalStaysIgnored()
{
    const Handler before = std::signal(SIGHUP, SIG_IGN);
    {
        TerminationSignals watcher;
        QVERIFY(watcher.watching());
        QVERIFY(currentHandler(SIGHUP) == SIG_IGN);
        QVERIFY(currentHandler(SIGTERM) != SIG_DFL);
    }
    std::signal(SIGHUP, before);
}

void TestTerminationSignals::handlersComeBackWhenTheWatcherGoes()
{
    const Handler before = currentHandler(SIGTERM);
    {
        TerminationSignals watcher;
        QVERIFY(currentHandler(SIGTERM) != before);
    }
    QVERIFY(currentHandler(SIGTERM) == before);
}

void TestTerminationSignals::onlyOneWatcher()
{
    TerminationSignals first;
    TerminationSignals second;
    QVERIFY(first.watching());
    QVERIFY(!second.watching());
    QSignalSpy asked(&first, &TerminationSignals::terminationRequested);
    QCOMPARE(::raise(SIGTERM), 0);
    QTRY_COMPARE(asked.count(), 1);
}

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "tst_termination_signals.moc"
