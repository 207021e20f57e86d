#pragma once

#include "media/filter_graph.h"
#include "media/video_window.h"
#include "subtitles/subtitle_track.h"

#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>

class QFileDialog;
class QLabel;
class QSlider;
class QSplitter;
class QTabWidget;

namespace duvara {

class GradientPanel;
class IdlePicture;
class OnScreenDisplay;
class RListView;
class RSubtitleLabel;
class RTimeEdit;
class TDSTrackBar;
class TDSVideoWindowEx2;
class TFormAbout;
class TFormColor;
class TFormFile;
class TFormFont;
class TFormGoTo;
class TFormNewV;
class TFormRemote;
class TRPopupMenu;
class TrackPanel;
class VideoPage;

// Removes leading and trailing blanks and control characters from a name given from outside.
QString TrimmedFileName(const QString &name);

// The entries of the fullscreen monitor list for a system with this many monitors.
QStringList MonitorListEntries(int monitorCount);

// The player's main window: it owns every component of the player and the state that several
// of them share. The behaviour of the components lives in their own classes; this class is
// where they meet.
class TFormVDMain : public QWidget
{
    Q_OBJECT
public:
    explicit TFormVDMain(QWidget *parent = nullptr);
    ~TFormVDMain() override;

    // The first command-line argument, if there was one (null otherwise).
    void setCommandLineFile(const QString &name) { m_commandLineFile = name; }

    // Replaces the playlist by the one file and plays it.
    void OpenFileByName(const QString &name);

    void MnuExitClick();
    void TimerLstFocusTimer();

    // Settings and playlist files, the application-wide key hook and playback.
    void LoadSettings();
    void SaveSettings();
    bool AppMessageHook(QObject *watched, QEvent *event);

    // The transport: every command with its faces, the fast-motion timer and the graph's events.
    void MnuOpenClick();
    void OpenFiles(const QStringList &files);
    void PlayFile(const QString &name);
    void SetTransportEnabled(bool on);
    void BtnPlayClick();
    void BtnPauseClick();
    void BtnStopClick();
    void BtnStepClick();
    void BtnRewClick();
    void BtnFFClick();
    void BtnPrvClick();
    void BtnNxtClick();
    void BtnMuteOnClick();
    void BtnMuteOffClick();
    void MnuMuteClick();
    void TimerMoveTimer();
    void FilterGraphDSEvent(int event, std::intptr_t param1, std::intptr_t param2);
    void FilterGraphGraphStepComplete();
    void SldPosMouseDown(Qt::MouseButton button, int x, int y);
    void SldPosMouseUp(Qt::MouseButton button);
    void SldVolChange();
    void CheckColorControlSupport();
    void MnuColorClick();

    // The playlist.
    void MnuAddClick();
    void MnuRemoveClick();
    void MnuClearClick();
    void LstPLDblClick();
    void LstPLKeyPress(int key);
    void LstPLClick();
    bool LstPLDragOver(QObject *source, const QPoint &position);
    void LstPLDragDrop(QObject *source, const QPoint &position);
    void PopupMenu2Popup();
    // The full name of playlist row i.
    QString PlaylistPath(int row) const;

    // The subtitle track panels.
    // Commands of a track's panel and its menu items; `track` is 1 (primary) or 2 (secondary).
    void BtnOpenClick(int track);
    // Reads a subtitle file into the track, or only shows the track again for an empty name
    // (an open dialog that was cancelled).
    void OpenSubtitleFile(int track, const QString &path);
    void BtnClrClick(int track);
    void BtnSaveAsClick(int track);
    void BtnDefClick(int track);
    void BtnFontClick(int track);
    void ChkOutlineClick(int track);
    void ChkShadowClick(int track);
    void EditOffsetChange(int track);
    void ScrOffsetChange(int track);
    void EditDurChange(int track);
    void ScrDurChange(int track);
    void ArwDurClick(int track, bool up);
    void EnableTrackControls(int track, bool enabled);
    void FillSubtitleList(int track, int shift, RListView &list, float factor);
    void LstSubtClick(int track);
    void LstSubtKeyUp(int track, int key);
    void LstSubtVScroll(int track);
    void PageCntrlChange();
    void GetIncMode(RTimeEdit &edit, bool up);

    // Following playback: the position tick, the slider and both subtitle tracks.
    void SldDSTimer(quint32 current, quint32 duration);
    void SldDSChange();
    void SldPosChange(bool fromSlider);
    void VideoWndPaint();

    // The video window's events and menu items.
    void VideoWndDblClick();
    void VideoWndColorKeyChanged();
    void VideoWndOverlayVisible(bool visible);
    void StretchedClick();
    void LetterBoxClick();
    void CropClick();
    void MnuZ100Click();
    void MnuZ200Click();
    void MnuZ300Click();

    // The other windows, created once after the main window and kept until the end.
    void CreateOtherWindows();

    // State shared by the parts of the player.
    int PlayIndex = 0;
    double Speed = 1.0;
    qint64 MediaDuration = 0; // 100-ns units; 0 = not known yet
    QString DurationText; // empty = to be made at the next position tick
    bool VideoCovered = false;
    bool PlaylistTransient = false;
    // The primary (bottom) and secondary (top) subtitle tracks.
    SubtitleTrack Track1;
    SubtitleTrack Track2;
    QString HelpFile;

    // Components.
    TFilterGraph FilterGraph;
    TFilterGraph FilterGraph1;
    GradientPanel *PnlCntrl = nullptr;
    QWidget *PnlPos = nullptr;
    QSlider *SldPos = nullptr;
    QLabel *LblPos = nullptr;
    QTabWidget *PageCntrl = nullptr;
    VideoPage *TabVideo = nullptr;
    TrackPanel *Panel1 = nullptr;
    TrackPanel *Panel2 = nullptr;
    QSplitter *Splitter = nullptr;
    QWidget *PnlPList = nullptr;
    RListView *LstPL = nullptr;
    IdlePicture *ImgIdle = nullptr;
    TDSVideoWindowEx2 *VideoWnd = nullptr;
    QWidget *PnlSub1 = nullptr;
    QWidget *PnlSub2 = nullptr;
    RSubtitleLabel *LblSub1 = nullptr;
    RSubtitleLabel *LblSub2 = nullptr;
    QLabel *LblNill1 = nullptr;
    QLabel *LblNill2 = nullptr;
    GradientPanel *PnlOSD = nullptr;
    GradientPanel *PnlVol = nullptr;
    OnScreenDisplay *Osd = nullptr;
    RListView *LstSubt1 = nullptr;
    RListView *LstSubt2 = nullptr;
    TRPopupMenu *PopupMenu1 = nullptr;
    TRPopupMenu *PopupMenu2 = nullptr;
    QTimer TimerMove;
    QTimer TimerOSD;
    QTimer TimerVol;
    QTimer TimerRem;
    QTimer TimerLstFocus;
    // Made on first use (ensureFileDialogs).
    QFileDialog *DlgFile = nullptr;
    QFileDialog *DlgSubt = nullptr;
    QFileDialog *SaveSubt = nullptr;

    TFormRemote *FormRemote = nullptr;
    TFormAbout *FormAbout = nullptr;
    TFormColor *FormColor = nullptr;
    TFormFont *FormFont = nullptr;
    TFormGoTo *FormGoTo = nullptr;
    TFormFile *FormFile = nullptr;
    TFormNewV *FormNewV = nullptr;

signals:
    // After the first show has run to its end (the command-line file opened, if any).
    void shown();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormCloseQuery();

    void buildLayout();
    QWidget *buildControlPanel();
    QWidget *buildPlaylistPanel();
    QWidget *buildVideoArea();
    void buildVideoChildren();
    void buildTimers();
    void ensureFileDialogs();
    void layoutVideoChildren();
    void layoutPositionBar();
    void fillMonitorList();
    void wireVideoWindow();
    void wireSynchronisation();
    void showEntryAt(SubtitleTrack &track, const TrackPanel &panel, RSubtitleLabel &label,
                     RListView &list, qint64 position);
    void setAspect(TRatioModes mode, const char *item);
    // A slot that runs the handler under the error guard (no exception crosses a slot).
    std::function<void()> guarded(void (TFormVDMain::*handler)());
    // Transport and playlist helpers.
    enum class Command { Play, Pause, Stop, Step, Rew, FF, Prev, Next };
    void setCommandEnabled(Command command, bool on);
    bool commandEnabled(Command command) const;
    void endFastMotion();
    void changeSpeed(double speed);
    void startSpeed();
    void afterRowStarted();
    QStringList chooseMediaFiles(const QString &title);
    // Subtitle track panel helpers.
    void wireTrackPanels();
    void wireTrackPanel(int track);
    void showOpenedTrack(int track);
    void setUpDuration(int track);
    bool moveToSelectedRow(int track);
    void showSoundOn(bool on);
    void wireTransport();
    void wirePlaylist();
    void appendPlaylistRow(const QString &file);
    void repaintPlaylist();
    void startRow(int row);
    void recolourSubtitleAreas(const QColor &color);
    bool eventFilter(QObject *watched, QEvent *event) override;

    QString m_commandLineFile;
    bool m_firstShowDone = false;
    bool m_exiting = false;
    QObject *m_keyHook = nullptr;
    // Where the movement timer's last jump aimed, while fast motion by jumps goes on.
    std::optional<qint64> m_moveTarget;
};

} // namespace duvara
