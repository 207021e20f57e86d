#include "media/filter_graph.h"
#include "media/media_error.h"
#include "media_test_support.h"

#include <QtTest>

#include <algorithm>
#include <atomic>
#include <memory>
#include <stdexcept>

using namespace duvara;
using namespace duvara::test;

namespace {

// A provider without a picture: records its steps, and whether the core still existed when it
// heard that the core goes.
class RecordingProvider : public FilterProvider
{
public:
    RecordingProvider(QStringList &log, TFilterGraph &graph, bool outputReady = false)
        : m_log(log)
        , m_graph(&graph)
        , m_outputReady(outputReady)
    {
        graph.AttachFilterProvider(this);
    }
    ~RecordingProvider() override
    {
        if (m_graph)
            m_graph->DetachFilterProvider(this);
    }
    void FilterStage(duvara::FilterStage stage) override
    {
        static const char *const names[] = {"fsAdding", "fsAdded", "fsRemoving", "fsRemoved"};
        m_log << names[static_cast<int>(stage)];
    }
    bool PrepareOutput() override { return m_outputReady; }
    void GraphCoreDestroying() override
    {
        m_log << (m_graph->HasCore() ? "core destroying" : "core already gone");
    }

private:
    QStringList &m_log;
    QPointer<TFilterGraph> m_graph;
    bool m_outputReady;
};

// A provider that brings a render context of its own, made as the graph's core allows, and frees
// it when it hears that the core goes.
class RendererProvider : public FilterProvider
{
public:
    RendererProvider(QStringList &log, TFilterGraph &graph)
        : m_log(log)
        , m_graph(&graph)
    {
        graph.AttachFilterProvider(this);
    }
    ~RendererProvider() override
    {
        if (m_graph)
            m_graph->DetachFilterProvider(this);
    }
    void FilterStage(duvara::FilterStage stage) override
    {
        if (stage != FilterStage::fsAdding || context)
            return;
        const std::optional<RenderContextFactory> renderers = m_graph->RenderContexts();
        if (!renderers)
            return;
        context = renderers->createSoftware();
        if (context)
            context->setUpdateCallback([this] { ++updates; });
        m_log << (context ? "context made" : "context refused");
    }
    void GraphCoreDestroying() override
    {
        context.reset();
        m_log << (m_graph->HasCore() ? "context freed" : "core gone first");
    }

    std::unique_ptr<RenderContext> context;
    std::atomic<int> updates {0};

private:
    QStringList &m_log;
    QPointer<TFilterGraph> m_graph;
};

// Draws the core's pictures on the GUI thread, as the OpenGL output does in paintGL, but with the
// software renderer, which needs no GPU. The context can be replaced, as the OpenGL output's is
// when it moves to another window.
class GuiThreadOutput : public QObject, public FilterProvider
{
public:
    explicit GuiThreadOutput(TFilterGraph &graph)
        : m_graph(&graph)
        , m_pixels(kSize.width() * kSize.height())
    {
        graph.AttachFilterProvider(this);
    }
    ~GuiThreadOutput() override
    {
        if (m_graph)
            m_graph->DetachFilterProvider(this);
    }
    void FilterStage(duvara::FilterStage stage) override
    {
        if (stage == FilterStage::fsAdding && !context)
            makeContext();
    }
    void GraphCoreDestroying() override { context.reset(); }

    void makeContext()
    {
        context = m_graph->RenderContexts()->createSoftware();
        QVERIFY(context);
        context->drawOnThisThread();
        context->setUpdateCallback([this] {
            QMetaObject::invokeMethod(
                this, [this] { draw(); }, Qt::QueuedConnection);
        });
    }

    std::unique_ptr<RenderContext> context;
    int framesDrawn = 0;

private:
    static constexpr QSize kSize {64, 48};
    void draw()
    {
        if (context && context->takeUpdate()
            && context->renderSoftware(m_pixels.data(), kSize, std::size_t(kSize.width()) * 4))
            ++framesDrawn;
    }

    QPointer<TFilterGraph> m_graph;
    std::vector<quint32> m_pixels;
};

// What the core holds, read as an outsider reads it: flags as booleans, numbers as doubles,
// anything else as text; invalid while the core has no such value.
QVariant core(const TFilterGraph &graph, const char *name)
{
    const std::optional<std::string> text = graph.CoreProperty(name);
    if (!text)
        return {};
    const QString value = QString::fromStdString(*text);
    if (value == QLatin1String("yes"))
        return true;
    if (value == QLatin1String("no"))
        return false;
    bool isNumber = false;
    const double number = value.toDouble(&isNumber);
    return isNumber ? QVariant(number) : QVariant(value);
}

// Files the core holds in its playlist: one while a file is loading or loaded, none once stopped.
qint64 coreFiles(const TFilterGraph &graph)
{
    const QVariant count = core(graph, "playlist-count");
    return count.isValid() ? qint64(count.toDouble()) : -1;
}

bool coreNear(const TFilterGraph &graph, const char *name, double expected)
{
    return waitFor([&] { return qAbs(core(graph, name).toDouble() - expected) < 0.01; });
}

} // namespace

class TestFilterGraph : public QObject
{
    Q_OBJECT
private slots:
    void videoTrackIsKnownOnceLoaded();
    void withoutSessionOnlyStores();
    void activationSteps();
    void transportStatesAndNotifications();
    void renderFailure_data();
    void renderFailure();
    void completionAtTheEnd_data();
    void completionAtTheEnd();
    void frameStep_data();
    void frameStep();
    void storedValuesAppliedToNextFile();
    void rates_data();
    void rates();
    void noStaleEventAfterNewActivation_data();
    void noStaleEventAfterNewActivation();
    void handlerMayPlayTheNextFile();
    void handlerErrorStaysInThePump();
    void pictureSizeStandsForClockChange();
    void preparedCoreIsAdopted_data();
    void preparedCoreIsAdopted();
    void preloadOnlyWithEveryOutputReady_data();
    void preloadOnlyWithEveryOutputReady();
    void preloadedFileIsTheRenderedOne_data();
    void preloadedFileIsTheRenderedOne();
    void preloadedFileTellsNoOneBeforeItIsRendered();
    void preloadEndsWithTheSession_data();
    void preloadEndsWithTheSession();
    void pictureLayoutReachesTheCore_data();
    void pictureLayoutReachesTheCore();
    void pictureColoursReachTheCore();
    void renderContextIsFreedBeforeTheCore();
    void nothingWaitsForTheCoreOnTheDrawingThread();
    void replacedContextGetsPicturesAgain();
    void lostFramesOutliveTheSession();
    void decodingThreadsFollowTheFilm_data();
    void decodingThreadsFollowTheFilm();
};

void TestFilterGraph::withoutSessionOnlyStores()
{
    QStringList log;
    RecordingListener listener(log);
    TFilterGraph graph;
    graph.AttachListener(&listener);

    QCOMPARE(graph.RenderMediaFile(mediaFile("clip.mp4")), 1);
    QVERIFY(!graph.Play() && !graph.Pause() && !graph.Stop() && !graph.FrameStep());
    graph.EmptyGraph();
    QCOMPARE(graph.PlayState(), PlayState::psNoGraph);
    QVERIFY(!graph.Duration() && !graph.CurrentPosition());
    QVERIFY2(log.isEmpty(), qPrintable(log.join(", ")));
    // Nothing reaches for a core that is not there.
    QVERIFY(!graph.HasCore());
    QVERIFY(!graph.RenderContexts());
    QVERIFY(!graph.CoreProperty("volume"));
    QVERIFY(!graph.SetPictureLayout(true, 1.0));
    QVERIFY(!graph.SetPictureColors({10, 10, 10, 10}, TFilterGraph::ColorStage::Renderer));
    QVERIFY(!graph.PictureColors());
    QVERIFY(!graph.RequestLostFrames());

    graph.SetVolume(-5);
    QCOMPARE(graph.StoredVolume(), 0);
    graph.SetVolume(20000);
    QCOMPARE(graph.StoredVolume(), 10000);
    graph.SetPlaybackRate(2.0);
    QCOMPARE(graph.StoredRate(), 2.0);
}

void TestFilterGraph::activationSteps()
{
    std::setlocale(LC_NUMERIC, "C");
    QStringList log;
    RecordingListener listener(log);
    auto graph = std::make_unique<TFilterGraph>();
    graph->SetAudioEnabled(false);
    graph->SetActive(true);
    QCOMPARE(core(*graph, "vo").toString(), QStringLiteral("null"));
    graph->SetActive(false);

    RecordingProvider provider(log, *graph);
    graph->AttachListener(&listener);
    connect(graph.get(), &TFilterGraph::OnActivate, this, [&log] { log << "OnActivate"; });
    graph->SetActive(true);
    QCOMPARE(log, QStringList({"fsAdding", "fsAdded", "OnActivate", "gaActivated"}));
    QCOMPARE(core(*graph, "vo").toString(), QStringLiteral("libmpv"));
    QCOMPARE(graph->PlayState(), PlayState::psStopped);

    log.clear();
    graph->SetActive(false);
    QCOMPARE(log, QStringList({"gaDeactivating", "fsRemoving", "fsRemoved"}));
    QCOMPARE(graph->PlayState(), PlayState::psNoGraph);

    graph->SetActive(true);
    log.clear();
    graph.reset();
    QCOMPARE(log, QStringList({"gaDeactivating", "fsRemoving", "fsRemoved", "core destroying"}));
}

void TestFilterGraph::transportStatesAndNotifications()
{
    Session s;
    // Records the state the graph is in when an action reaches the listeners.
    struct StateListener : GraphListener
    {
        TFilterGraph &graph;
        QStringList states;
        explicit StateListener(TFilterGraph &g)
            : graph(g)
        {
            graph.AttachListener(this);
        }
        ~StateListener() override { graph.DetachListener(this); }
        void HandleGraphEvent(int, std::intptr_t, std::intptr_t) override { }
        void HandleGraphAction(GraphAction, std::intptr_t) override
        {
            states << QString::number(int(graph.PlayState()));
        }
    } listener(s.graph);

    QCOMPARE(s.graph.RenderMediaFile(mediaFile("clip.mp4")), 0);
    QCOMPARE(s.log, QStringList({"gaRendering", "gaRendered"}));
    QCOMPARE(s.graph.PlayState(), PlayState::psStopped);
    QVERIFY(qAbs(ms(s.graph.Duration()) - 3000) <= 80);

    s.log.clear();
    listener.states.clear();
    QVERIFY(s.graph.Play());
    QCOMPARE(s.graph.PlayState(), PlayState::psRunning);
    QVERIFY(waitFor([&] { return ms(s.graph.CurrentPosition()) > 200; }));
    QVERIFY(s.graph.Pause());
    QCOMPARE(s.graph.PlayState(), PlayState::psPaused);
    QVERIFY(core(s.graph, "pause").toBool());
    QVERIFY(s.graph.Stop());
    QCOMPARE(s.graph.PlayState(), PlayState::psStopped);
    QVERIFY(waitFor([&] { return ms(s.graph.CurrentPosition()) == 0; }));
    QVERIFY(core(s.graph, "pause").toBool());
    QCOMPARE(s.log.filter(QStringLiteral("ga")), QStringList({"gaPlay", "gaPause", "gaStop"}));
    // Each action reaches the listeners before the graph changes.
    QCOMPARE(listener.states, QStringList({"1", "3", "2"}));

    // Emptying stops and unloads; the session stays.
    s.log.clear();
    s.graph.EmptyGraph();
    QCOMPARE(s.log.filter(QStringLiteral("ga")), QStringList({"gaStop"}));
    QVERIFY(s.graph.Active() && !s.graph.Duration());
    QVERIFY(waitFor([&] { return core(s.graph, "idle-active").toBool(); }));
}

void TestFilterGraph::renderFailure_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("preloaded");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("code");
    for (const bool preloaded : {false, true}) {
        const char *how = preloaded ? ", preloaded" : "";
        QTest::addRow("unplayable%s", how)
            << mediaFile("unplayable.mp4") << preloaded
            << QStringLiteral("unrecognized file format ($FFFFFFEF).") << -17;
        QTest::addRow("missing%s", how) << mediaFile("missing.mp4") << preloaded
                                        << QStringLiteral("loading failed ($FFFFFFF3).") << -13;
    }
}

void TestFilterGraph::renderFailure()
{
    QFETCH(QString, file);
    QFETCH(bool, preloaded);
    QFETCH(QString, message);
    QFETCH(int, code);
    Session s(nullptr, preloaded ? file : QString());
    try {
        s.graph.RenderMediaFile(file);
        QFAIL("no error raised");
    } catch (const EDirectShowException &error) {
        QCOMPARE(QString::fromUtf8(error.what()), message);
        QCOMPARE(error.ResultCode(), code);
    }
    QCOMPARE(s.log, QStringList({"gaRendering"}));
    QVERIFY(s.graph.Active());
    // The same session renders the next file.
    QCOMPARE(s.graph.RenderMediaFile(mediaFile("tone.wav")), 0);
}

void TestFilterGraph::completionAtTheEnd_data()
{
    QTest::addColumn<QString>("route");
    QTest::addColumn<int>("completions");
    QTest::newRow("plays into the end") << "play" << 1;
    QTest::newRow("seek to the end while running") << "seek running" << 1;
    // The fast-motion timer's last jump: paused, seek to the duration, Play.
    QTest::newRow("seek to the end while paused, then Play") << "seek paused" << 1;
    QTest::newRow("Play again at the end") << "play twice" << 2;
}

void TestFilterGraph::completionAtTheEnd()
{
    QFETCH(QString, route);
    QFETCH(int, completions);
    Session s("clip.mp4");
    connect(&s.graph, &TFilterGraph::OnDSEvent, this, [&s](int code, std::intptr_t p1) {
        s.log << QStringLiteral("OnDSEvent %1/%2").arg(code).arg(p1);
    });
    auto completed = [&](int n) {
        return waitFor([&] { return s.count(GraphEvent::EC_COMPLETE) == n; });
    };

    if (route == QLatin1String("seek paused")) {
        s.graph.SetCurrentPosition(*s.graph.Duration());
        QVERIFY(waitFor([&] { return core(s.graph, "eof-reached").toBool(); }));
        QCOMPARE(s.count(GraphEvent::EC_COMPLETE), 0);
        QVERIFY(s.graph.Play());
    } else if (route == QLatin1String("seek running")) {
        QVERIFY(s.graph.Play());
        s.graph.SeekToMs(3000);
    } else {
        s.graph.SeekToMs(2700);
        QVERIFY(s.graph.Play());
    }
    QVERIFY(completed(1));
    if (route == QLatin1String("play twice")) {
        QVERIFY(s.graph.Play());
        QVERIFY(completed(2));
    }
    QVERIFY(s.stepCompletes());
    QCOMPARE(s.count(GraphEvent::EC_COMPLETE), completions);
    const int heard = s.log.indexOf(QStringLiteral("event 1/0"));
    QCOMPARE(s.log.value(heard + 1), QStringLiteral("OnDSEvent 1/0"));
}

void TestFilterGraph::frameStep_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<qint64>("positionAfterMs");
    QTest::addColumn<qint64>("param1");
    // Asked for as soon as the file is loaded, before its first picture is up.
    QTest::newRow("from the start") << "clip.mp4" << qint64(40) << qint64(0);
    QTest::newRow("at the very end") << "end" << qint64(-1) << qint64(0);
    QTest::newRow("nothing loaded") << "" << qint64(-1) << qint64(1);
    QTest::newRow("cancelled by Stop") << "stop" << qint64(0) << qint64(1);
}

void TestFilterGraph::frameStep()
{
    QFETCH(QString, situation);
    QFETCH(qint64, positionAfterMs);
    QFETCH(qint64, param1);
    Session s(situation.isEmpty() ? nullptr : "clip.mp4");
    QSignalSpy stepped(&s.graph, &TFilterGraph::OnGraphStepComplete);
    if (situation == QLatin1String("end")) {
        s.graph.SetCurrentPosition(*s.graph.Duration());
        QVERIFY(waitFor([&] { return core(s.graph, "eof-reached").toBool(); }));
    }

    QVERIFY(s.graph.FrameStep());
    if (situation == QLatin1String("stop"))
        QVERIFY(s.graph.Stop());
    QVERIFY(waitFor([&] { return stepped.count() == 1; }));
    QCOMPARE(s.firstParams(GraphEvent::EC_STEP_COMPLETE), QList<qint64> {param1});
    if (positionAfterMs >= 0)
        QVERIFY(waitFor([&] { return ms(s.graph.CurrentPosition()) == positionAfterMs; }));
    // A cancelled step does not complete a second time when the core gets round to it.
    QVERIFY(s.stepCompletes());
    QCOMPARE(stepped.count(), 2);
}

void TestFilterGraph::storedValuesAppliedToNextFile()
{
    Session s;
    s.graph.SetActive(false);
    // Left by the transport before any file plays (a volume, a fast-forward rate).
    s.graph.SetVolume(5000);
    s.graph.SetPlaybackRate(2.0);
    s.graph.SetActive(true);
    QCOMPARE(s.graph.RenderMediaFile(mediaFile("clip.mp4")), 0);
    QVERIFY(coreNear(s.graph, "volume", 74.932));
    QVERIFY(coreNear(s.graph, "speed", 2.0));

    s.graph.SetVolume(1000);
    s.graph.SetPlaybackRate(0.5);
    // The core is left elsewhere: at a rate applied without storing it (the fast-motion
    // timer's), and at the logarithmic scale's volume for the stored value.
    s.graph.SetRate(3.0);
    s.graph.SetLinearVolume(false);
    QVERIFY(coreNear(s.graph, "speed", 3.0));
    QVERIFY(coreNear(s.graph, "volume", 3.162));
    s.graph.EmptyGraph();
    s.graph.SetActive(false);
    s.graph.SetLinearVolume(true);
    // Whatever the core was left at, the next file gets the stored values.
    s.graph.SetActive(true);
    QCOMPARE(s.graph.RenderMediaFile(mediaFile("tone.mp3")), 0);
    QVERIFY(coreNear(s.graph, "volume", 38.329));
    QVERIFY(coreNear(s.graph, "speed", 0.5));
    s.graph.SetVolume(0);
    QVERIFY(coreNear(s.graph, "volume", 0.0));
}

void TestFilterGraph::rates_data()
{
    QTest::addColumn<double>("rate");
    QTest::newRow("quarter") << 0.25;
    QTest::newRow("half") << 0.5;
    QTest::newRow("double") << 2.0;
}

void TestFilterGraph::rates()
{
    QFETCH(double, rate);
    Session s("clip.mp4");
    QVERIFY(s.graph.Play());
    s.graph.SetPlaybackRate(rate);
    QVERIFY(coreNear(s.graph, "speed", rate));
    QVERIFY(waitFor([&] { return ms(s.graph.CurrentPosition()) > 100; }));
    // The fast-motion timer's reset leaves the stored rate alone.
    s.graph.SetRate(1.0);
    QVERIFY(coreNear(s.graph, "speed", 1.0));
    QCOMPARE(s.graph.StoredRate(), rate);
}

void TestFilterGraph::noStaleEventAfterNewActivation_data()
{
    QTest::addColumn<bool>("queuedByGraph");
    QTest::newRow("end queued by the graph") << true;
    QTest::newRow("end unread in the core's queue") << false;
}

void TestFilterGraph::noStaleEventAfterNewActivation()
{
    QFETCH(bool, queuedByGraph);
    Session s("clip.mp4");
    if (queuedByGraph) {
        s.graph.SetCurrentPosition(*s.graph.Duration());
        QVERIFY(waitFor([&] { return core(s.graph, "eof-reached").toBool(); }));
        QVERIFY(s.graph.Play()); // queues the completion; nothing has delivered it yet
    } else {
        s.graph.SeekToMs(2800);
        QVERIFY(s.graph.Play());
        // Keep the event loop from running until the core has reported the end, so that the
        // report lies unread in the core's queue.
        QDeadlineTimer deadline(kMediaTimeoutMs);
        while (!core(s.graph, "eof-reached").toBool() && !deadline.hasExpired())
            QThread::msleep(10);
    }
    QCOMPARE(s.count(GraphEvent::EC_COMPLETE), 0);

    s.graph.EmptyGraph();
    s.graph.SetActive(false);
    s.graph.SetActive(true);
    QCOMPARE(s.graph.RenderMediaFile(mediaFile("tone.wav")), 0);
    QVERIFY(s.stepCompletes());
    QCOMPARE(s.count(GraphEvent::EC_COMPLETE), 0);
    QVERIFY2(!s.log.contains(QStringLiteral("event 1/0")), qPrintable(s.log.join(", ")));
}

void TestFilterGraph::handlerMayPlayTheNextFile()
{
    Session s("clip.mp4");
    // What the transport does at the end of an item that has a next one.
    connect(&s.graph, &TFilterGraph::OnDSEvent, this, [&s](int code) {
        if (code != GraphEvent::EC_COMPLETE || s.count(GraphEvent::EC_COMPLETE) > 1)
            return;
        s.graph.EmptyGraph();
        s.graph.SetActive(false);
        s.graph.SetActive(true);
        s.graph.RenderMediaFile(mediaFile("blip.wav"));
        s.graph.Play();
    });
    s.graph.SeekToMs(2800);
    QVERIFY(s.graph.Play());

    // The second file's end arrives through the same pump, once.
    QVERIFY(waitFor([&] { return s.count(GraphEvent::EC_COMPLETE) == 2; }));
    QVERIFY(qAbs(ms(s.graph.Duration()) - 50) <= 10);
    QVERIFY(s.stepCompletes());
    QCOMPARE(s.count(GraphEvent::EC_COMPLETE), 2);
}

void TestFilterGraph::handlerErrorStaysInThePump()
{
    struct ThrowingListener : GraphListener
    {
        int throwsLeft = 1;
        void HandleGraphEvent(int, std::intptr_t, std::intptr_t) override
        {
            if (throwsLeft-- > 0)
                throw std::runtime_error("Listener failed");
        }
        void HandleGraphAction(GraphAction, std::intptr_t) override { }
    } thrower;
    Session s;
    s.graph.AttachListener(&thrower);
    QSignalSpy failures(&s.graph, &TFilterGraph::handlerFailed);

    QVERIFY(s.graph.FrameStep());
    QVERIFY(waitFor([&] { return failures.count() == 1; }));
    QCOMPARE(failures.at(0).at(0).toString(), QStringLiteral("Listener failed"));
    QCOMPARE(s.events.count(), 0); // the failed event goes no further
    QVERIFY(s.stepCompletes());
    QCOMPARE(failures.count(), 1);
}

void TestFilterGraph::pictureSizeStandsForClockChange()
{
    Session s("clip.mp4");
    QVERIFY(s.graph.Play());
    QVERIFY(waitFor([&] { return ms(s.graph.CurrentPosition()) > 500; }));
    QVERIFY(s.graph.Pause());
    QVERIFY(s.stepCompletes());
    QCOMPARE(s.count(GraphEvent::EC_CLOCK_CHANGED), 1);
    const int index = s.log.indexOf(QStringLiteral("event 13/320"));
    QVERIFY2(index >= 0, qPrintable(s.log.join(", ")));
    for (const QList<QVariant> &event : s.events) {
        if (event.at(0).toInt() == GraphEvent::EC_CLOCK_CHANGED)
            QCOMPARE(event.at(2).toLongLong(), 240);
    }
    QCOMPARE(s.graph.DisplaySize(), QSize(320, 240));
    QVERIFY(s.graph.HasVideo());
    // The size belongs to the file: an emptied graph knows none.
    s.graph.EmptyGraph();
    QVERIFY(s.graph.DisplaySize().isEmpty());
    QVERIFY(!s.graph.HasVideo());
}

// Frame steps need a picture: a film has one as soon as it is loaded, a sound file never.
void TestFilterGraph::videoTrackIsKnownOnceLoaded()
{
    Session film("clip.mp4");
    QVERIFY(waitFor([&] { return film.graph.HasVideo(); }));
    Session sound("tone.mp3");
    QVERIFY(sound.graph.Play());
    QVERIFY(waitFor([&] { return ms(sound.graph.CurrentPosition()) > 300; }));
    QVERIFY(!sound.graph.HasVideo());
}

void TestFilterGraph::preparedCoreIsAdopted_data()
{
    QTest::addColumn<bool>("audio");
    QTest::addColumn<QString>("output");
    QTest::newRow("sound") << true << QStringLiteral("pipewire,pulse,jack,alsa");
    // Switched off after the core was started with sound: the switch still counts.
    QTest::newRow("no sound") << false << QStringLiteral("null");
}

void TestFilterGraph::preparedCoreIsAdopted()
{
    QFETCH(bool, audio);
    QFETCH(QString, output);
    std::setlocale(LC_NUMERIC, "C");
    TFilterGraph graph;
    graph.AdoptCore(PreparedCore::Start(true));
    QVERIFY(!graph.HasCore());
    graph.SetAudioEnabled(audio);
    graph.SetActive(true);
    QVERIFY(graph.HasCore());
    QCOMPARE(core(graph, "ao").toString(), output);
    QCOMPARE(graph.RenderMediaFile(mediaFile("clip.mp4")), 0);
}

void TestFilterGraph::preloadOnlyWithEveryOutputReady_data()
{
    QTest::addColumn<QList<bool>>("outputsReady");
    QTest::addColumn<bool>("active");
    QTest::addColumn<qint64>("files");
    QTest::newRow("no outputs") << QList<bool> {} << false << qint64(1);
    QTest::newRow("output ready") << QList<bool> {true} << false << qint64(1);
    QTest::newRow("one output not ready") << QList<bool> {true, false} << false << qint64(0);
    QTest::newRow("during a session") << QList<bool> {true} << true << qint64(0);
}

void TestFilterGraph::preloadOnlyWithEveryOutputReady()
{
    QFETCH(QList<bool>, outputsReady);
    QFETCH(bool, active);
    QFETCH(qint64, files);
    std::setlocale(LC_NUMERIC, "C");
    QStringList log;
    TFilterGraph graph;
    graph.SetAudioEnabled(false);
    std::vector<std::unique_ptr<RecordingProvider>> providers;
    for (const bool ready : outputsReady)
        providers.push_back(std::make_unique<RecordingProvider>(log, graph, ready));
    graph.SetActive(active);
    log.clear();

    graph.PreloadMediaFile(mediaFile("clip.mp4"));
    QVERIFY(graph.HasCore());
    QCOMPARE(coreFiles(graph), files);
    // Preloading is no activation: the providers' outputs join no session.
    QVERIFY2(log.isEmpty(), qPrintable(log.join(", ")));
}

void TestFilterGraph::preloadedFileIsTheRenderedOne_data()
{
    QTest::addColumn<QString>("preloaded");
    QTest::addColumn<QString>("rendered");
    QTest::addColumn<int>("durationMs");
    QTest::newRow("the same") << mediaFile("clip.mp4") << mediaFile("clip.mp4") << 3000;
    QTest::newRow("another, longer") << mediaFile("blip.wav") << mediaFile("clip.mp4") << 3000;
    QTest::newRow("another, shorter") << mediaFile("clip.mp4") << mediaFile("blip.wav") << 50;
}

void TestFilterGraph::preloadedFileIsTheRenderedOne()
{
    QFETCH(QString, preloaded);
    QFETCH(QString, rendered);
    QFETCH(int, durationMs);
    Session s(nullptr, preloaded);
    QCOMPARE(s.graph.RenderMediaFile(rendered), 0);
    QCOMPARE(s.log, QStringList({"gaRendering", "gaRendered"}));
    QVERIFY2(qAbs(ms(s.graph.Duration()) - durationMs) <= durationMs / 40 + 5,
             qPrintable(QString::number(ms(s.graph.Duration()))));

    // The rendered file, and only it, plays to its end.
    s.graph.SeekToMs(std::max(0, durationMs - 200));
    QVERIFY(s.graph.Play());
    QVERIFY(waitFor([&] { return s.count(GraphEvent::EC_COMPLETE) == 1; }));
    QVERIFY(s.stepCompletes());
    QCOMPARE(s.count(GraphEvent::EC_COMPLETE), 1);
    QCOMPARE(coreFiles(s.graph), 1);
}

void TestFilterGraph::preloadedFileTellsNoOneBeforeItIsRendered()
{
    std::setlocale(LC_NUMERIC, "C");
    QStringList log;
    RecordingListener listener(log);
    TFilterGraph graph;
    QSignalSpy events(&graph, &TFilterGraph::OnDSEvent);
    graph.SetAudioEnabled(false);
    graph.AttachListener(&listener);
    graph.PreloadMediaFile(mediaFile("clip.mp4"));
    // Until the picture is configured: everything the file has to tell has been told.
    QVERIFY(waitFor([&] { return core(graph, "video-out-params").isValid(); }));
    const QString entry = core(graph, "playlist/0/id").toString();
    graph.SetActive(true);
    QCOMPARE(graph.RenderMediaFile(mediaFile("clip.mp4")), 0);
    QCOMPARE(log, QStringList({"gaActivated", "gaRendering", "gaRendered"}));
    // Rendered as it was loaded, not loaded again.
    QCOMPARE(core(graph, "playlist/0/id").toString(), entry);

    // Once the step is complete, nothing queued before it can still come.
    const auto codes = [&events] {
        QStringList list;
        for (const QList<QVariant> &event : events)
            list << QString::number(event.at(0).toInt());
        return list;
    };
    QVERIFY(graph.FrameStep());
    QVERIFY(waitFor([&] { return codes().contains(QStringLiteral("36")); }));
    // The picture's size, configured before anyone listened, is reported once it is rendered.
    QCOMPARE(codes(), QStringList({"13", "36"}));
    QCOMPARE(graph.DisplaySize(), QSize(320, 240));
}

void TestFilterGraph::preloadEndsWithTheSession_data()
{
    QTest::addColumn<bool>("deactivate");
    QTest::newRow("deactivated") << true;
    QTest::newRow("emptied") << false;
}

void TestFilterGraph::preloadEndsWithTheSession()
{
    QFETCH(bool, deactivate);
    Session s(nullptr, mediaFile("clip.mp4"));
    QCOMPARE(coreFiles(s.graph), 1);
    if (deactivate)
        s.graph.SetActive(false);
    else
        s.graph.EmptyGraph();
    QCOMPARE(coreFiles(s.graph), 0);
    // Rendering it afterwards loads it anew.
    s.graph.SetActive(true);
    QCOMPARE(s.graph.RenderMediaFile(mediaFile("clip.mp4")), 0);
    QVERIFY(qAbs(ms(s.graph.Duration()) - 3000) <= 80);
}

void TestFilterGraph::pictureLayoutReachesTheCore_data()
{
    QTest::addColumn<bool>("crop");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<bool>("keepAspect");
    QTest::addColumn<double>("panScan");
    QTest::newRow("stretched") << false << 0.0 << false << 0.0;
    QTest::newRow("cropped") << true << 0.0 << true << 1.0;
    QTest::newRow("stretched, zoomed") << false << 1.5 << false << 0.0;
}

void TestFilterGraph::pictureLayoutReachesTheCore()
{
    QFETCH(bool, crop);
    QFETCH(double, zoom);
    QFETCH(bool, keepAspect);
    QFETCH(double, panScan);
    Session s("clip.mp4");
    // Away from the row's values first, so that each of them has to arrive.
    QVERIFY(s.graph.SetPictureLayout(!crop, zoom + 1.0));
    QVERIFY(waitFor([&] { return core(s.graph, "keepaspect").toBool() == !keepAspect; }));
    QVERIFY(s.graph.SetPictureLayout(crop, zoom));
    QVERIFY(waitFor([&] { return core(s.graph, "keepaspect").toBool() == keepAspect; }));
    QVERIFY(coreNear(s.graph, "panscan", panScan));
    QVERIFY(coreNear(s.graph, "video-zoom", zoom));
}

void TestFilterGraph::pictureColoursReachTheCore()
{
    Session s("clip.mp4");
    using Stage = TFilterGraph::ColorStage;
    QCOMPARE(s.graph.PictureColors(), MpvEqualizer {});

    const MpvEqualizer colours {10, -20, 30, -40};
    QVERIFY(s.graph.SetPictureColors(colours, Stage::Renderer));
    QCOMPARE(s.graph.PictureColors(), colours);
    QVERIFY(coreNear(s.graph, "brightness", 10));
    QVERIFY(coreNear(s.graph, "contrast", -20));
    QVERIFY(coreNear(s.graph, "hue", 30));
    QVERIFY(coreNear(s.graph, "saturation", -40));
    QCOMPARE(core(s.graph, "vf").toString(), QString());

    // The filter stage leaves the renderer's equalizer alone.
    QVERIFY(s.graph.SetPictureColors({}, Stage::Renderer));
    QVERIFY(s.graph.SetPictureColors(colours, Stage::Filter));
    QCOMPARE(s.graph.PictureColors(), colours);
    QVERIFY(waitFor([&] { return core(s.graph, "vf").toString().contains("eq="); }));
    QVERIFY(waitFor([&] { return core(s.graph, "vf").toString().contains("hue="); }));
    for (const char *name : {"brightness", "contrast", "hue", "saturation"})
        QVERIFY2(coreNear(s.graph, name, 0), name);
    // Neutral colours are no filter at all.
    QVERIFY(s.graph.SetPictureColors({}, Stage::Filter));
    QVERIFY(waitFor([&] { return core(s.graph, "vf").toString().isEmpty(); }));
    QCOMPARE(s.graph.PictureColors(), MpvEqualizer {});
}

void TestFilterGraph::renderContextIsFreedBeforeTheCore()
{
    std::setlocale(LC_NUMERIC, "C");
    QStringList log;
    auto graph = std::make_unique<TFilterGraph>();
    graph->SetAudioEnabled(false);
    RendererProvider provider(log, *graph);
    graph->SetActive(true);
    QCOMPARE(log, QStringList({"context made"}));
    QVERIFY(provider.context);
    // The core asks for a first drawing as soon as someone listens.
    QVERIFY(waitFor([&] { return provider.updates > 0; }));
    QCOMPARE(core(*graph, "vo").toString(), QStringLiteral("libmpv"));

    // The provider's context outlives sessions; the core, had it gone first, would abort.
    graph->SetActive(false);
    graph->SetActive(true);
    QCOMPARE(log, QStringList({"context made"}));
    graph.reset();
    QCOMPARE(log, QStringList({"context made", "context freed"}));
    QVERIFY(!provider.context);
}

// With the OpenGL output the GUI thread draws the picture, and the core may be waiting for that
// drawing: whatever the GUI thread asks of the core during playback must not wait for it.
void TestFilterGraph::nothingWaitsForTheCoreOnTheDrawingThread()
{
    std::setlocale(LC_NUMERIC, "C");
    TFilterGraph graph;
    graph.SetAudioEnabled(false);
    GuiThreadOutput output(graph);
    QSignalSpy events(&graph, &TFilterGraph::OnDSEvent);
    QSignalSpy lostFrames(&graph, &TFilterGraph::LostFramesReported);
    const auto count = [&events](int code) {
        return int(std::count_if(events.begin(), events.end(), [code](const QList<QVariant> &e) {
            return e.at(0).toInt() == code;
        }));
    };
    graph.SetActive(true);
    QVERIFY(output.context);

    // A waiting call on this thread is recorded: the empty records below mean something.
    QVERIFY(graph.CoreProperty("pause"));
    const std::vector<std::string> recorded = graph.TakeBlockingCallsWhileDrawing();
    QVERIFY(std::find(recorded.begin(), recorded.end(), "pause") != recorded.end());

    // Rendering waits for the file, and for nothing but the file's load and first values.
    QCOMPARE(graph.RenderMediaFile(mediaFile("clip.mp4")), 0);
    const std::vector<std::string> allowed = {"pause",
                                              "loadfile",
                                              "(waiting for an event)",
                                              "duration",
                                              "time-pos",
                                              "eof-reached",
                                              "track-list",
                                              "file-local-options/vd-lavc-threads"};
    for (const std::string &call : graph.TakeBlockingCallsWhileDrawing())
        QVERIFY2(std::find(allowed.begin(), allowed.end(), call) != allowed.end(), call.c_str());

    QVERIFY(graph.Play());
    QVERIFY(waitFor([&] { return ms(graph.CurrentPosition()) > 300 && output.framesDrawn > 2; }));
    QVERIFY(graph.SetPictureLayout(true, 0.5));
    QVERIFY(graph.SetPictureColors({10, 10, 10, 10}, TFilterGraph::ColorStage::Renderer));
    QVERIFY(graph.SetPictureColors({10, 10, 10, 10}, TFilterGraph::ColorStage::Filter));
    QVERIFY(graph.PictureColors());
    graph.SetVolume(4000);
    graph.SetPlaybackRate(2.0);
    graph.SetRate(1.0);
    QVERIFY(graph.Pause());
    QVERIFY(graph.FrameStep());
    QVERIFY(waitFor([&] { return count(GraphEvent::EC_STEP_COMPLETE) == 1; }));
    QVERIFY(graph.DisplaySize().isValid() && graph.Duration() && graph.HasVideo());
    graph.SeekToMs(2800);
    QVERIFY(graph.Play());
    QVERIFY(waitFor([&] { return count(GraphEvent::EC_COMPLETE) == 1; }));
    QVERIFY(graph.RequestLostFrames());
    QVERIFY(waitFor([&] { return lostFrames.count() == 1; }));
    graph.RenderContexts()->reselectVideo();
    QVERIFY(graph.Stop());
    const std::vector<std::string> playing = graph.TakeBlockingCallsWhileDrawing();
    QVERIFY2(playing.empty(), playing.empty() ? "" : playing.front().c_str());
    // The first seek lands with the file playing again, and Stop's seek to the start too.
    QVERIFY(waitFor([&] { return ms(graph.CurrentPosition()) == 0; }));

    // Emptying stops the file and waits for that (a load could otherwise overtake the stop).
    graph.EmptyGraph();
    QCOMPARE(graph.TakeBlockingCallsWhileDrawing(), std::vector<std::string> {"stop"});

    // Once its context is gone, the GUI thread draws nothing, and its calls are its own affair.
    output.context.reset();
    QVERIFY(graph.CoreProperty("pause"));
    QVERIFY(graph.TakeBlockingCallsWhileDrawing().empty());
}

// A render context made anew on a playing core gets the core's pictures once the core's video is
// chosen again.
void TestFilterGraph::replacedContextGetsPicturesAgain()
{
    std::setlocale(LC_NUMERIC, "C");
    TFilterGraph graph;
    graph.SetAudioEnabled(false);
    GuiThreadOutput output(graph);
    graph.SetActive(true);
    QCOMPARE(graph.RenderMediaFile(mediaFile("clip.mp4")), 0);
    graph.TakeBlockingCallsWhileDrawing();
    QVERIFY(graph.Play());
    QVERIFY(waitFor([&] { return output.framesDrawn > 2; }));

    // The core turns the video off when the context it drew for goes.
    output.context.reset();
    QVERIFY(waitFor([&] { return !graph.HasVideo(); }));
    output.makeContext();
    const int before = output.framesDrawn;
    graph.RenderContexts()->reselectVideo();
    QVERIFY(waitFor([&] { return graph.HasVideo() && output.framesDrawn > before + 2; }));
    QVERIFY(graph.TakeBlockingCallsWhileDrawing().empty());
}

// The counts are logged after the file's end, when the transport may already have moved on.
void TestFilterGraph::lostFramesOutliveTheSession()
{
    Session s("clip.mp4");
    QSignalSpy lostFrames(&s.graph, &TFilterGraph::LostFramesReported);
    QVERIFY(s.graph.RequestLostFrames());
    s.graph.EmptyGraph();
    s.graph.SetActive(false);
    s.graph.SetActive(true);
    QCOMPARE(s.graph.RenderMediaFile(mediaFile("tone.wav")), 0);
    QVERIFY(waitFor([&] { return lostFrames.count() == 1; }));
    QCOMPARE(lostFrames.at(0).at(0).toLongLong(), 0);
}

void TestFilterGraph::decodingThreadsFollowTheFilm_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("threads");
    QTest::newRow("small film") << QByteArray("clip.mp4") << QStringLiteral("1");
    QTest::newRow("more pixels a second than 1080p30")
        << QByteArray("swift.mp4") << QStringLiteral("2");
    // Without a picture the core's setting stays.
    QTest::newRow("sound only") << QByteArray("tone.mp3") << QStringLiteral("2");
}

// Chosen at each file's opening, for that file: the second file does not inherit the first's.
void TestFilterGraph::decodingThreadsFollowTheFilm()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, threads);
    Session s;
    for (const QByteArray &name : {QByteArray("clip.mp4"), file}) {
        QCOMPARE(s.graph.RenderMediaFile(mediaFile(name)), 0);
        QVERIFY(s.graph.Play());
        QTRY_VERIFY(ms(s.graph.CurrentPosition()) > 0);
    }
    QCOMPARE(core(s.graph, "vd-lavc-threads").toString(), threads);
}

QTEST_MAIN(TestFilterGraph)
#include "tst_filter_graph.moc"
