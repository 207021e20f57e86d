// Keeps the position slider, the time texts and every subtitle track (its caption over the
// picture and its list) in step with playback. It also owns the "video covered" state: while
// a dialog or display covers the picture, no next caption is prepared behind it.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <vector>

class QAbstractSlider;
class QLabel;
class QSlider;
class QTreeView;

namespace duvara {

class RSubtitleLabel;
class TDSTrackBar;
class TFilterGraph;
struct SubtitleTrack;

// A subtitle track as playback sees it. Everything here belongs to the track's owner; the
// synchronisation only reads the track and offset and drives the label and list.
struct FollowedTrack
{
    SubtitleTrack *subtitles = nullptr;
    const QAbstractSlider *offset = nullptr; // the track's offset in milliseconds
    RSubtitleLabel *label = nullptr;
    QTreeView *list = nullptr;
    int page = 0; // the control panel page that shows the list over the picture
    const int *charset = nullptr; // the character set of text that is not UTF-8; null: Western
};

class Synchronisation : public QObject
{
    Q_OBJECT
public:
    // `engineBar` is the graph's position track bar (tenths of a second), `position` the
    // slider the user sees (milliseconds), `positionText` the "time / duration" text.
    Synchronisation(TFilterGraph &graph, TDSTrackBar &engineBar, QSlider &position,
                    QLabel &positionText, QWidget *errorParent);

    void AddTrack(const FollowedTrack &track);

    // The engine's position tick: enables the slider and writes the time texts.
    void SldDSTimer(quint32 current, quint32 duration);
    // The engine's track bar moved: the slider follows.
    void SldDSChange();
    // The slider moved (by the user when fromSlider): the engine seeks, the tracks follow.
    void SldPosChange(bool fromSlider);
    // The tracks show what belongs at the present position, if anything plays.
    void Refresh();
    // The slider and the times show this position (100-ns units).
    void ShowPosition(qint64 position);
    // Nothing plays: slider back to 0 and disabled, duration forgotten.
    void ShowStopped();

    // The film's duration in 100-ns units; 0 until the first tick (or a caller) learns it.
    qint64 MediaDuration() const { return m_mediaDuration; }
    void SetMediaDuration(qint64 duration) { m_mediaDuration = duration; }
    // A new film: its duration and time text are made afresh by the next tick.
    void ResetDuration();
    const QString &DurationText() const { return m_durationText; }

    bool VideoCovered() const { return m_videoCovered; }
    void SetVideoCovered(bool covered) { m_videoCovered = covered; }

    // Every track's prepared next caption is dropped: something was drawn over the picture
    // (a menu, a list), so the next caption is laid out and drawn afresh.
    void ForgetPreparedCaptions();

    // The control panel changed page: only that page's list is shown over the picture.
    void PageCntrlChange(int page);

    // The user works in a list: it keeps the focus (and its place) for a while, then the
    // position slider takes the focus back.
    void HoldListFocus();
    void TimerLstFocusTimer();

signals:
    // The position text of the on-screen display.
    void TimeTextChanged(const QString &text);

private:
    void showEntryAt(const FollowedTrack &track, qint64 position);

    TFilterGraph &m_graph;
    TDSTrackBar &m_engineBar;
    QSlider &m_position;
    QLabel &m_positionText;
    std::vector<FollowedTrack> m_tracks;
    qint64 m_mediaDuration = 0;
    QString m_durationText; // empty = to be made at the next position tick
    bool m_videoCovered = false;
    QTimer m_timerLstFocus;
};

// Marks the video as covered for as long as it lives, also when the code around it throws.
class VideoCover
{
public:
    explicit VideoCover(Synchronisation &sync)
        : m_sync(sync)
    {
        m_sync.SetVideoCovered(true);
    }
    ~VideoCover() { m_sync.SetVideoCovered(false); }
    VideoCover(const VideoCover &) = delete;
    VideoCover &operator=(const VideoCover &) = delete;

private:
    Synchronisation &m_sync;
};

} // namespace duvara
