// The remote control: a small shaped window floating over the fullscreen picture with the
// transport's buttons, a position meter, a volume slider and two segment displays (the file
// that plays, and its number and time). It has no logic of its own: its buttons are faces of
// the transport's commands, and its meter and slider work the main window's.
#pragma once

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <optional>

class QLabel;
class QMenu;
class QSlider;

namespace duvara {

class Playlist;
class RemoteButton;
class RemoteMeter;
class RemoteVolumeSlider;
class SegmentDisplay;
class Synchronisation;
class TDSTrackBar;
class Transport;

// The position a press at x sets on a meter of this width: 0 at x = 1, the maximum at
// x = width - 1, in proportion in between; none for a press on its outer pixels or outside.
std::optional<int> MeterPressPosition(int x, int width, int maximum);
// The lower display's text: the playlist row's number (counted from 1) and the time.
QString RemoteDisplayText(int playIndex, const QString &time);
// Where the remote waits: centred in the lower quarter of the picture.
QPoint RemotePlace(const QRect &pictureOnScreen);

class TFormRemote : public QWidget
{
    Q_OBJECT
public:
    // The main window's parts the remote works.
    struct Parts
    {
        Transport &transport;
        Playlist &playlist;
        Synchronisation &sync;
        QSlider &position; // milliseconds
        TDSTrackBar &engineBar; // presses and releases on the meter are passed on to it
        QSlider &volume;
    };
    TFormRemote(const Parts &parts, QWidget *parent);

    QLabel *ImgRem = nullptr;
    RemoteButton *BtnPlay = nullptr;
    RemoteButton *BtnStop = nullptr;
    RemoteButton *BtnPause = nullptr;
    RemoteButton *BtnStep = nullptr;
    RemoteButton *BtnRew = nullptr;
    RemoteButton *BtnFF = nullptr;
    RemoteButton *BtnPrv = nullptr;
    RemoteButton *BtnNxt = nullptr;
    RemoteButton *BtnMuteOn = nullptr;
    RemoteButton *BtnMuteOff = nullptr;
    RemoteMeter *SldPos = nullptr;
    SegmentDisplay *LblCurr = nullptr;
    SegmentDisplay *LblDispl = nullptr;
    RemoteVolumeSlider *SldVol = nullptr;

    // The window menu is this window's popup menu too, and its shortcuts work here.
    void SetPopupMenu(QMenu *menu);
    // Puts it above every window, over the picture's, leaving the keyboard focus where it is.
    void ShowOverPicture(QWidget *picture);
    // While hidden, it waits at its place over the picture; where the user dragged it lasts
    // only while it is shown.
    void PlaceOver(const QRect &pictureOnScreen);

    void SldPosMouseDown(Qt::MouseButton button, int x);
    void SldPosMouseUp(Qt::MouseButton button);
    void SldVolChange();
    void ImgRemDblClick();
    // The playlist row that plays now: its name scrolls through the upper display.
    void ShowCurrentName();
    void ShowTime(const QString &time);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void buildControls();
    void wire(const Parts &parts);

    Playlist &m_playlist;
    // The main window's collaborators go before its windows.
    QPointer<Synchronisation> m_sync;
    QSlider &m_position;
    TDSTrackBar &m_engineBar;
    QSlider &m_volume;

    // Dragging by the picture: the window manager moves the window once the mouse has moved
    // far enough; without one the window follows the mouse itself.
    std::optional<QPoint> m_pressedAt;
    QPoint m_placeAtPress;
    bool m_followingMouse = false;
};

} // namespace duvara
