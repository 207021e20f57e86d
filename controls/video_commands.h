// What the user asks of the picture: fullscreen on the chosen monitor, the aspect mode, the
// zoom, the colour settings, and the subtitle areas' colour that follows the video window's.
#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

class QAction;
class QComboBox;
class QGroupBox;
class QWidget;

namespace duvara {

class Synchronisation;
class TDSVideoWindowEx2;
class TFormColor;
enum class TRatioModes;

// The entries of the fullscreen monitor list for a system with this many monitors.
QStringList MonitorListEntries(int monitorCount);

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

    // Toggles fullscreen on the monitor chosen on the video page.
    void VideoWndDblClick();
    // Gives the window its picture back, if it is fullscreen.
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
    // The remote window's refresh; it stops while the picture changes between window and
    // fullscreen.
    QTimer m_timerRem;
};

} // namespace duvara
