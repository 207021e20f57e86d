#include "controls/track_nudges.h"

#include "controls/subtitle_track_controller.h"
#include "media/error_box.h"

#include <QAction>
#include <QKeySequence>
#include <QTabWidget>
#include <QWidget>

namespace duvara {

TrackNudges::TrackNudges(QWidget &window, const QTabWidget &pages,
                         std::vector<SubtitleTrackController *> tracks)
    : QObject(&window)
    , m_pages(pages)
    , m_tracks(std::move(tracks))
{
    const struct
    {
        QKeyCombination key;
        int deltaMs;
        const char *name;
    } keys[] = {
        {Qt::CTRL | Qt::Key_Left, -kSmallStepMs, "ActNudgeEarlier"},
        {Qt::CTRL | Qt::Key_Right, kSmallStepMs, "ActNudgeLater"},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Left, -kLargeStepMs, "ActNudgeSecondEarlier"},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Right, kLargeStepMs, "ActNudgeSecondLater"},
    };
    for (const auto &k : keys) {
        auto *action = new QAction(&window);
        action->setObjectName(QString::fromLatin1(k.name));
        action->setShortcut(QKeySequence(k.key));
        action->setShortcutContext(Qt::WindowShortcut);
        window.addAction(action);
        const int delta = k.deltaMs;
        connect(action, &QAction::triggered, this,
                [this, &window, delta] { RunGuarded(&window, [&] { Nudge(delta); }); });
    }
}

void TrackNudges::Nudge(int deltaMs)
{
    for (SubtitleTrackController *track : m_tracks) {
        if (track->Page() == m_pages.currentIndex()) {
            track->NudgeOffset(deltaMs);
            return;
        }
    }
    emit Report(QStringLiteral("Open the Primary or Secondary page to move its track"));
}

} // namespace duvara
