#pragma once

#include "media/filter_graph.h"

#include <QSignalSpy>
#include <QStringList>
#include <QTest>

#include <clocale>
#include <functional>

namespace duvara::test {

constexpr int kMediaTimeoutMs = 10000;

inline QString mediaFile(const char *name)
{
    return QStringLiteral(DUVARA_TEST_MEDIA_DIR "/") + QLatin1String(name);
}

inline bool waitFor(const std::function<bool()> &condition)
{
    return QTest::qWaitFor(condition, kMediaTimeoutMs);
}

inline qint64 ms(const std::optional<qint64> &hundredNs)
{
    return hundredNs ? *hundredNs / 10000 : -1;
}

inline const char *actionName(GraphAction action)
{
    static const char *const names[] = {"gaPlay",     "gaPause",     "gaStop",        "gaRendering",
                                        "gaRendered", "gaActivated", "gaDeactivating"};
    return names[static_cast<int>(action)];
}

// Writes what it hears into a log that others may share, so that tests can check the order
// across receivers.
class RecordingListener : public GraphListener
{
public:
    explicit RecordingListener(QStringList &log)
        : m_log(log)
    { }
    void HandleGraphEvent(int code, std::intptr_t param1, std::intptr_t) override
    {
        m_log << QStringLiteral("event %1/%2").arg(code).arg(param1);
    }
    void HandleGraphAction(GraphAction action, std::intptr_t) override
    {
        m_log << QString::fromLatin1(actionName(action));
    }

private:
    QStringList &m_log;
};

// An active graph that plays into no audio device and no picture, with a recording listener
// and a spy on its events, optionally with a file preloaded before the activation and a file
// rendered.
struct Session
{
    QStringList log;
    RecordingListener listener {log};
    TFilterGraph graph;
    QSignalSpy events {&graph, &TFilterGraph::OnDSEvent};

    explicit Session(const char *file = nullptr, const QString &preloaded = {})
    {
        // libmpv refuses to start unless numbers are formatted the C way.
        std::setlocale(LC_NUMERIC, "C");
        graph.SetAudioEnabled(false);
        graph.AttachListener(&listener);
        if (!preloaded.isEmpty())
            graph.PreloadMediaFile(preloaded);
        graph.SetActive(true);
        if (file)
            graph.RenderMediaFile(mediaFile(file));
        log.clear();
    }

    int count(int code) const
    {
        int n = 0;
        for (const QList<QVariant> &event : events)
            n += event.at(0).toInt() == code ? 1 : 0;
        return n;
    }

    QList<qint64> firstParams(int code) const
    {
        QList<qint64> params;
        for (const QList<QVariant> &event : events) {
            if (event.at(0).toInt() == code)
                params << event.at(1).toLongLong();
        }
        return params;
    }

    // A step's completion queues behind whatever the graph had queued before it: once it has
    // arrived, nothing older can still come.
    bool stepCompletes()
    {
        const int before = count(GraphEvent::EC_STEP_COMPLETE);
        return graph.FrameStep()
            && waitFor([&] { return count(GraphEvent::EC_STEP_COMPLETE) > before; });
    }
};

} // namespace duvara::test
