// The player's main window. It builds the widgets, makes one collaborator per subsystem (the
// transport, the playlist, one controller per subtitle track, the synchronisation, the video
// commands) and wires the menus and each other's signals to them. What the player does lives
// in the collaborators; this class is where they meet.
#pragma once

#include "media/filter_graph.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>

class QLabel;
class QSlider;
class QSplitter;
class QTabWidget;

namespace duvara {

class FileDialogs;
class FileDrops;
class FilmSubtitles;
class GradientPanel;
class Help;
class IdlePicture;
class MprisService;
class OnScreenDisplay;
class Playlist;
class RecentFilesMenu;
class RListView;
class RSubtitleLabel;
class SettingsFiles;
class SubtitleAutoload;
class SubtitleListView;
class SubtitleTrackController;
class Synchronisation;
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
class Transport;
class UpdateCheck;
class VideoCommands;
class VideoPage;
enum class SubtitleArrangement;

// Removes leading and trailing blanks and control characters from a name given from outside.
QString TrimmedFileName(const QString &name);

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
    void MnuAboutClick();
    void MnuGoToClick();
    void MnuFileClick();

    // Settings and playlist files.
    void LoadSettings();
    void SaveSettings();

    // The other windows, created once after the main window and kept until the end.
    void CreateOtherWindows();

    // The collaborators, for the hand-over at start and for tests that drive the player.
    TFilterGraph &filterGraph() { return m_filterGraph; }
    Transport &transport() { return *m_transport; }
    Playlist &playlist() { return *m_playlist; }
    SubtitleTrackController &primaryTrack() { return *m_primaryTrack; }
    SubtitleTrackController &secondaryTrack() { return *m_secondaryTrack; }
    Synchronisation &synchronisation() { return *m_sync; }
    VideoCommands &videoCommands() { return *m_videoCommands; }
    OnScreenDisplay &osd() { return *m_osd; }
    Help &help() { return *m_help; }
    UpdateCheck &updateCheck() { return *m_updateCheck; }

signals:
    // After the first show has run to its end (the command-line file opened, if any).
    void shown();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    // What the first show does once the window is on screen: the report of a settings file
    // that could not be read (if any), then the command-line film.
    void finishFirstShow(const QString &unreadable);
    void FormActivate();
    void FormCloseQuery();
    void PopupMenu1Popup();
    void PopupMenu1Hide();

    // Building the widgets (main_window_layout.cpp).
    void buildLayout();
    QWidget *buildControlPanel();
    QWidget *buildPlaylistPanel();
    QWidget *buildVideoArea();
    void buildVideoChildren();
    void buildTimers();
    void layoutVideoChildren();
    void SetSubtitleArrangement(SubtitleArrangement arrangement);
    void layoutPositionBar();

    // Making and wiring the collaborators (main_window.cpp).
    void createCollaborators();
    void createTracks();
    void wireMenus();
    void wireVideoWindow();
    // Files dropped from other programs, and the window menu's recent films.
    void wireDropsAndRecentFiles();
    // The Exit command's first half: both graphs emptied and closed.
    void releaseGraphs();

    // The engine of playback. (Playlist durations are measured by workers of their own.)
    TFilterGraph m_filterGraph;

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
    SubtitleListView *LstSubt1 = nullptr;
    SubtitleListView *LstSubt2 = nullptr;
    TRPopupMenu *PopupMenu1 = nullptr;
    TRPopupMenu *PopupMenu2 = nullptr;
    QTimer TimerOSD;
    QTimer TimerVol;

    TFormRemote *FormRemote = nullptr;
    TFormAbout *FormAbout = nullptr;
    TFormColor *FormColor = nullptr;
    TFormFont *FormFont = nullptr;
    TFormGoTo *FormGoTo = nullptr;
    TFormFile *FormFile = nullptr;
    TFormNewV *FormNewV = nullptr;

    // Declared after the graphs and destroyed before the widgets: no collaborator outlives
    // what it works with, and none hears the widgets' last signals.
    std::unique_ptr<Synchronisation> m_sync;
    std::unique_ptr<OnScreenDisplay> m_osd;
    std::unique_ptr<FileDialogs> m_dialogs;
    std::unique_ptr<Playlist> m_playlist;
    std::unique_ptr<Transport> m_transport;
    std::unique_ptr<SubtitleTrackController> m_primaryTrack;
    std::unique_ptr<SubtitleTrackController> m_secondaryTrack;
    std::unique_ptr<VideoCommands> m_videoCommands;
    std::unique_ptr<Help> m_help;
    std::unique_ptr<UpdateCheck> m_updateCheck;
    std::unique_ptr<SettingsFiles> m_settingsFiles;
    // Last, so it goes first: the bus hears nothing of the others' ends.
    std::unique_ptr<MprisService> m_mpris;

    QString m_commandLineFile;
    SubtitleArrangement m_arrangement {};
    FilmSubtitles *m_filmSubtitles = nullptr;
    SubtitleAutoload *m_subtitleAutoload = nullptr;
    FileDrops *m_fileDrops = nullptr;
    RecentFilesMenu *m_recentFiles = nullptr;
    bool m_firstShowDone = false;
    bool m_exiting = false;
    QObject *m_keyHook = nullptr;
};

} // namespace duvara
