// One subtitle track and everything that shows or changes it: its panel on the control panel
// (open, clear, save, offset, duration, font, outline, shadow), its menu items, its caption over
// the picture and its list of entries. The player makes one for each track.
#pragma once

#include "presentation/font_choices.h"
#include "subtitles/subtitle_track.h"
#include "subtitles/track_anchors.h"

#include <QByteArray>
#include <QFont>
#include <QObject>
#include <QString>

#include <string>
#include <vector>

class QAction;
class QTabWidget;
class QWidget;

namespace duvara {

class FileDialogs;
class RSubtitleLabel;
class SubtitleListView;
class SubtitleRowsModel;
class RTimeEdit;
class Synchronisation;
class TDSTrackBar;
class TFilterGraph;
class TFormFont;
class TrackPanel;

class SubtitleTrackController : public QObject
{
    Q_OBJECT
public:
    // What the user sees of the track: its panel, the page the panel is on, its caption, its
    // list, its menu items (any of which may be null) and the dialogs' titles.
    struct Faces
    {
        int number = 0; // 1 primary, 2 secondary: what the font dialog calls the track
        TrackPanel *panel = nullptr;
        int page = 0;
        RSubtitleLabel *label = nullptr;
        QWidget *subtitlePanel = nullptr; // the label's panel over the picture; keeps the font
        SubtitleListView *list = nullptr;
        QAction *openItem = nullptr;
        QAction *clearItem = nullptr;
        QAction *saveAsItem = nullptr;
        QAction *fontItem = nullptr;
        QString openTitle;
        QString saveTitle;
        QString fontTitle;
        QString name; // "Primary", "Secondary": how the on-screen display names the track
    };
    // The player's parts the track works with.
    struct Parts
    {
        TFilterGraph &graph;
        TDSTrackBar &engineBar; // seeking to an entry
        QTabWidget &pages;
        Synchronisation &sync;
        FileDialogs &dialogs;
    };
    // The track's font as the user chose it: the face, and the size for a 612-pixel-wide
    // picture; and the character set the track's text is decoded in.
    using TrackFont = SubtitleTrackFont;
    SubtitleTrackController(const Faces &faces, const Parts &parts, QWidget *errorParent);

    const SubtitleTrack &Track() const { return m_track; }
    // The absolute path of the file the track was read from; empty when the track is empty or
    // did not come from a file of its own.
    const QString &FilePath() const { return m_filePath; }
    // The offset the user set, in milliseconds.
    int Offset() const;
    TrackFont Font() const;
    // Gives the panel the font and its label the same font at the picture's present width;
    // the caption on screen and the list show the track's text in the character set at once.
    void SetFont(const TrackFont &font);

    // The dialog the Font button opens; without one the font cannot be chosen and its button
    // and menu item stay disabled.
    void SetFontDialog(TFormFont *dialog);

    // Shows a track read elsewhere, as a successful open would.
    void ShowTrack(SubtitleTrack track);

    void BtnOpenClick();
    // Reads a subtitle file into the track, or only shows the track again for an empty name
    // (an open dialog that was cancelled).
    void OpenSubtitleFile(const QString &path);
    // Reads the file at `localPath` (its name as the file system's bytes) as Open does, but
    // tells nothing when it cannot: false then, and the track stays as it was. For files the
    // player found itself, where a message box at every film would be in the way.
    bool OpenSubtitleFileQuietly(const QByteArray &localPath);
    void BtnClrClick();
    void BtnSaveAsClick();
    void BtnDefClick();
    void BtnFontClick();
    void ChkOutlineClick();
    void ChkShadowClick();
    void EditOffsetChange();
    void ScrOffsetChange();
    void EditDurChange();
    void ScrDurChange();
    void ArwDurClick(bool up);
    void EnableTrackControls(bool enabled);
    void FillSubtitleList();
    void LstSubtClick();
    void LstSubtKeyUp(int key);
    void LstSubtVScroll();
    // Sets Offset and Duration to a correction found elsewhere (an alignment), each within
    // its control's reach.
    void ApplyCorrection(int offsetMs, int spanMs);

    // The track the other page shows, which "Align" lines this one up with.
    void SetOtherTrack(SubtitleTrackController *other);
    int Page() const { return m_faces.page; }
    // The target span the user set, in milliseconds.
    int TargetSpan() const;
    const std::vector<TrackAnchor> &Anchors() const { return m_anchors; }

    // The selected entry starts at the present playback position: the offset moves, and with a
    // second anchor on another entry the span follows so that both start where they were put.
    void AnchorSelectedEntry();
    // Lines the track up with the other one as the other is shown now.
    void AlignToOtherTrack();
    // Moves the offset by `deltaMs`, within its reach.
    void NudgeOffset(int deltaMs);
    // The film changed: its frame rate is offered to a MicroDVD track.
    void FilmChanged();
    // The user chose another frame rate for a MicroDVD track.
    void CmbRateChange(int index);

signals:
    // A double click on the list: the picture goes to or leaves fullscreen.
    void ListDoubleClicked();
    // A line for the on-screen display: what a command changed, or why it changed nothing.
    void Report(const QString &text);
    // The track was opened, cleared or emptied: whether commands between tracks apply changes.
    void EntriesChanged();

private:
    void wire(QWidget *errorParent);
    void showOpenedTrack();
    bool readSubtitleFile(const std::string &localPath, const QString &absolutePath);
    void enableFontChoice(bool enabled);
    void setUpDuration();
    bool moveToSelectedRow();
    int shift() const;
    void applyCorrection(int offsetMs, int spanMs);
    void setAnchors(std::vector<TrackAnchor> anchors);
    void enableAlignment();
    void fillRates();
    uint32_t filmFrameRate() const;

    Faces m_faces;
    TFilterGraph &m_graph;
    TDSTrackBar &m_engineBar;
    QTabWidget &m_pages;
    Synchronisation &m_sync;
    FileDialogs &m_dialogs;
    QWidget *m_errorParent;
    TFormFont *m_fontDialog = nullptr;
    SubtitleTrack m_track;
    QString m_filePath;
    int m_charset = 0;
    SubtitleRowsModel *m_rows = nullptr; // the list's rows, read from m_track
    SubtitleTrackController *m_other = nullptr;
    std::vector<TrackAnchor> m_anchors;
    QAction *m_anchorItem = nullptr;
    QAction *m_alignItem = nullptr;
};

} // namespace duvara
