// What the user asks of the picture: fullscreen on the chosen monitor, the aspect mode, the
// zoom, the colour settings, the subtitle areas' colour that follows the video window's, and
// the remote window that a click on the fullscreen picture brings up.
#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <optional>
#include <utility>

class QAction;
class QComboBox;
class QGroupBox;
class QTabWidget;
class QWidget;

namespace duvara {

class Synchronisation;
class TDSVideoWindowEx2;
class TFormColor;
class TFormRemote;
struct SubtitleTrack;
enum class TRatioModes;

// The entries of the fullscreen monitor list for a system with this many monitors.
QStringList MonitorListEntries(int monitorCount);

// What a click on the picture does with the remote window.
enum class RemoteClick { Nothing, HideRemote, ShowRemoteSoon };
struct RemoteClickState
{
    bool fullScreen = false;
    bool remoteShown = false;
    // The number of entries of the subtitle track whose page is in front; none while the
    // video page is.
    std::optional<int> pageTrackEntries;
};
// Only a fullscreen picture has a remote. On the video page a click brings it up or sends it
// away; on a subtitle page it comes only while that page's track is empty, since the clicks
// there belong to the track's list over the picture.
RemoteClick RemoteClickFor(const RemoteClickState &state);

class VideoCommands : public QObject
{
    Q_OBJECT
public:
    struct MenuItems
    {
        QAction *stretched = nullptr;
        QAction *letterBox = nullptr;
        QAction *crop = nullptr;
        QAction *zoom100 = nullptr;
        QAction *zoom200 = nullptr;
        QAction *zoom300 = nullptr;
        QAction *fullscreen = nullptr;
        QAction *color = nullptr;
    };
    VideoCommands(TDSVideoWindowEx2 &video, QGroupBox &monitorGroup, QComboBox &monitorList,
                  Synchronisation &sync, QWidget *errorParent);

    void SetMenuItems(const MenuItems &items);
    // Areas over the picture whose colour follows the video window's (or its key colour).
    void AddSubtitleAreas(const QList<QWidget *> &areas);
    void SetColorDialog(TFormColor *dialog) { m_colorDialog = dialog; }

    // The remote window, and where to read whether a click may bring it up: the control page in
    // front and, for the subtitle pages, their tracks (page index and track).
    struct Remote
    {
        TFormRemote *window = nullptr;
        const QTabWidget *pages = nullptr;
        QList<std::pair<int, const SubtitleTrack *>> trackPages;
    };
    void SetRemote(const Remote &remote);

    // Toggles fullscreen on the monitor chosen on the video page.
    void VideoWndDblClick();
    // Brings the remote window up a moment later, or sends it away.
    void VideoWndClick();
    void TimerRemTimer();
    // Keeps the hidden remote window at its place over the fullscreen picture.
    void PlaceRemote();
    // Gives the window its picture back, if it is fullscreen; the remote goes with it.
    void LeaveFullScreen();
    // Whether a file is loaded: fullscreen is offered for a loaded file, and always while the
    // picture is fullscreen, so that the way back is never closed.
    void MediaLoadedChanged(bool loaded);
    void VideoWndColorKeyChanged();
    void VideoWndOverlayVisible(bool visible);
    void StretchedClick();
    void LetterBoxClick();
    void CropClick();
    // The aspect mode the picture and its menu marks show; setting it acts as the mode's item.
    TRatioModes AspectMode() const;
    void SetAspectMode(TRatioModes mode);
    void MnuZ100Click();
    void MnuZ200Click();
    void MnuZ300Click();
    void MnuColorClick();
    void CheckColorControlSupport();
    // The monitor list, from the screens there are now.
    void FillMonitorList();

    // The fullscreen item (its check mark and whether it is offered) and Escape as the picture
    // is now.
    void ShowFullScreenState();

private:
    void setAspect(TRatioModes mode, QAction *item);
    void recolourSubtitleAreas(const QColor &color);
    RemoteClickState remoteClickState() const;

    TDSVideoWindowEx2 &m_video;
    QGroupBox &m_monitorGroup;
    QComboBox &m_monitorList;
    Synchronisation &m_sync;
    QWidget *m_errorParent;
    MenuItems m_items;
    QList<QWidget *> m_areas;
    TFormColor *m_colorDialog = nullptr;
    bool m_mediaLoaded = false;
    // Escape leaves fullscreen; it is enabled only there.
    QAction *m_leaveFullScreen = nullptr;
    // Brings the remote up once a click has turned out not to be the first of a double click.
    QTimer m_timerRem;
    Remote m_remote;
};

} // namespace duvara
