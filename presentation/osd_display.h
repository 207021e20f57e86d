#pragma once

#include "presentation/osd_texts.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>

class QTimer;

namespace duvara {

class GradientPanel;
class OsdLabel;

// What the state display needs to know of the transport when it shows or hides.
struct OsdPlaybackState
{
    int playlistCount = 0;
    int playIndex = -1; // the playlist row that plays, -1 none
    double speed = 1.0; // 1 normal, negative backward
    bool paused = false; // frame step is possible
};

// The on-screen display: the state panel PnlOSD (clip, time, last command) and the volume panel
// PnlVol, both children of the top subtitle panel. The two timers belong to the window; this
// object sets their intervals and answers their ticks.
class OnScreenDisplay : public QObject
{
    Q_OBJECT
public:
    static constexpr std::uint32_t kTextColor = 0x00037DF8; // also the border
    static constexpr std::uint32_t kMaroon = 0x00000080;
    static constexpr int kOsdInterval = 6000;
    static constexpr int kVolInterval = 4000;

    struct Hooks
    {
        std::function<OsdPlaybackState()> playbackState;
        // Whether the video window is shown at all; the volume display only pops up over it.
        std::function<bool()> videoVisible;
        // The window's one "something covers the video" flag.
        std::function<void(bool)> setVideoCovered;
    };

    OnScreenDisplay(QWidget *host, QTimer &timerOsd, QTimer &timerVol, Hooks hooks,
                    QObject *parent = nullptr);

    void ShowOsdMessage(OsdMessage kind);
    // A line of its own in place of the state line, for as long as a state message stays (a
    // track's correction, a note); the panel widens to hold it.
    void ShowOsdText(const QString &text);
    // Normal playback began without a message of its own (a new file): a state display that a
    // pause or fast motion left up goes away in the usual time.
    void PlaybackResumed();

    // The volume display's three modes.
    void ShowVolume(int level);
    void ShowMuteOn();
    void ShowMuteOff();

    void TimerOSDTimer();
    void TimerVolTimer();

    // Written by the position tick.
    void SetTimeText(const QString &text);

    // The volume panel keeps its right edge near the video's right edge.
    void LayoutForVideoWidth(int videoWidth);

    GradientPanel *PnlOSD() const { return m_pnlOsd; }
    GradientPanel *PnlVol() const { return m_pnlVol; }
    OsdLabel *LblOSDMNo() const { return m_lblNo; }
    OsdLabel *LblOSDMTime() const { return m_lblTime; }
    OsdLabel *LblOSDMInf() const { return m_lblInf; }
    OsdLabel *LblOSDMute() const { return m_lblMute; }
    OsdLabel *LblOSDVol() const { return m_lblVol; }

    bool stateShown() const;
    bool volumeShown() const;

private:
    void showMuteState(const QString &text);
    void showPanel(GradientPanel *panel);
    void showInfoText(const QString &text);
    void setCovered(bool covered);
    OsdPlaybackState playbackState() const;

    Hooks m_hooks;
    QTimer &m_timerOsd;
    QTimer &m_timerVol;
    // The panels are children of the host and die with it.
    QPointer<GradientPanel> m_pnlOsd;
    QPointer<GradientPanel> m_pnlVol;
    OsdLabel *m_lblNo = nullptr;
    OsdLabel *m_lblTime = nullptr;
    OsdLabel *m_lblInf = nullptr;
    OsdLabel *m_lblMute = nullptr;
    OsdLabel *m_lblVol = nullptr;
};

} // namespace duvara
