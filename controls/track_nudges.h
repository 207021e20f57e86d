// Keys that move the track of the active page a little earlier or later while it plays:
// Ctrl+Left and Ctrl+Right by 100 ms, with Shift by a second. An edit with the focus keeps
// these keys for moving by words.
#pragma once

#include <QObject>
#include <QString>

#include <vector>

class QAction;
class QTabWidget;
class QWidget;

namespace duvara {

class SubtitleTrackController;

class TrackNudges : public QObject
{
    Q_OBJECT
public:
    static constexpr int kSmallStepMs = 100;
    static constexpr int kLargeStepMs = 1000;

    // The keys work anywhere in `window`; `tracks` are asked for the page each sits on.
    TrackNudges(QWidget &window, const QTabWidget &pages,
                std::vector<SubtitleTrackController *> tracks);

    // Moves the track of the active page by `deltaMs`.
    void Nudge(int deltaMs);

signals:
    // Said when the active page holds no track.
    void Report(const QString &text);

private:
    const QTabWidget &m_pages;
    std::vector<SubtitleTrackController *> m_tracks;
};

} // namespace duvara
