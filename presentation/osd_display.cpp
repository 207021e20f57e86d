#include "presentation/osd_display.h"

#include "media/error_box.h"

#include "presentation/color_ref.h"
#include "presentation/gradient_panel.h"
#include "presentation/osd_label.h"
#include "presentation/presentation_logging.h"

#include <QFont>
#include <QFontMetrics>
#include <QTimer>

#include <algorithm>
#include <exception>
#include <utility>

namespace duvara {

namespace {

constexpr int kBorderRadius = 6;
constexpr int kPanelWidth = 211;
constexpr int kInfoWidth = 201;
constexpr int kRightMargin = 4; // between a widened panel and the picture's right edge

QFont osdFont(const QString &family, int pixelSize, bool underline = false)
{
    QFont font;
    // Where the heavy face is missing, the plain face in bold still reads well.
    font.setFamilies({family, QStringLiteral("Arial")});
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setUnderline(underline);
    return font;
}

GradientPanel *makePanel(QWidget *host, const QString &name, const QRect &geometry, bool blackFirst)
{
    auto *panel = new GradientPanel(host);
    panel->setObjectName(name);
    panel->setGeometry(geometry);
    const QColor black(Qt::black);
    const QColor maroon = colorFromRef(OnScreenDisplay::kMaroon);
    panel->setGradient(blackFirst ? black : maroon, blackFirst ? maroon : black,
                       GradientPanel::Direction::Diagonal);
    panel->setRoundedBorder(colorFromRef(OnScreenDisplay::kTextColor), kBorderRadius);
    // The display only informs; clicks reach the video below.
    panel->setAttribute(Qt::WA_TransparentForMouseEvents);
    panel->hide();
    return panel;
}

OsdLabel *makeLabel(GradientPanel *panel, const QString &name, const QRect &geometry,
                    const QFont &font, const QString &text = QString())
{
    auto *label = new OsdLabel(panel);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setFont(font);
    label->setColors(colorFromRef(OnScreenDisplay::kTextColor),
                     colorFromRef(OnScreenDisplay::kMaroon));
    label->setText(text);
    return label;
}

} // namespace

OnScreenDisplay::OnScreenDisplay(QWidget *host, QTimer &timerOsd, QTimer &timerVol, Hooks hooks,
                                 QObject *parent)
    : QObject(parent)
    , m_hooks(std::move(hooks))
    , m_timerOsd(timerOsd)
    , m_timerVol(timerVol)
{
    const QString arialBlack = QStringLiteral("Arial Black");
    const QString arial = QStringLiteral("Arial");

    m_pnlOsd = makePanel(host, QStringLiteral("PnlOSD"), QRect(20, 20, kPanelWidth, 98), true);
    m_lblNo = makeLabel(m_pnlOsd, QStringLiteral("LblOSDMNo"), QRect(8, 4, 105, 27),
                        osdFont(arialBlack, 21, true), QStringLiteral("Clip"));
    m_lblTime = makeLabel(m_pnlOsd, QStringLiteral("LblOSDMTime"), QRect(8, 37, 105, 27),
                          osdFont(arial, 27), QStringLiteral("0:00:00"));
    m_lblInf = makeLabel(m_pnlOsd, QStringLiteral("LblOSDMInf"), QRect(8, 65, kInfoWidth, 27),
                         osdFont(arialBlack, 19));

    m_pnlVol = makePanel(host, QStringLiteral("PnlVol"), QRect(0, 20, 174, 53), false);
    if (host)
        LayoutForVideoWidth(host->width());
    m_lblMute = makeLabel(m_pnlVol, QStringLiteral("LblOSDMute"), QRect(8, 0, 160, 29),
                          osdFont(arialBlack, 19), QStringLiteral("Volume"));
    m_lblVol = makeLabel(m_pnlVol, QStringLiteral("LblOSDVol"), QRect(8, 24, 160, 27),
                         osdFont(arialBlack, 19));

    m_timerOsd.stop();
    m_timerOsd.setInterval(kOsdInterval);
    m_timerVol.stop();
    m_timerVol.setInterval(kVolInterval);
    connect(&m_timerOsd, &QTimer::timeout, this,
            [this, host] { RunGuarded(host, [this] { TimerOSDTimer(); }); });
    connect(&m_timerVol, &QTimer::timeout, this,
            [this, host] { RunGuarded(host, [this] { TimerVolTimer(); }); });
}

OsdPlaybackState OnScreenDisplay::playbackState() const
{
    return m_hooks.playbackState ? m_hooks.playbackState() : OsdPlaybackState {};
}

void OnScreenDisplay::setCovered(bool covered)
{
    if (m_hooks.setVideoCovered)
        m_hooks.setVideoCovered(covered);
}

void OnScreenDisplay::showPanel(GradientPanel *panel)
{
    // Above the subtitle label that fills the same host.
    panel->raise();
    panel->show();
}

bool OnScreenDisplay::stateShown() const
{
    return m_pnlOsd && !m_pnlOsd->isHidden();
}

bool OnScreenDisplay::volumeShown() const
{
    return m_pnlVol && !m_pnlVol->isHidden();
}

void OnScreenDisplay::ShowOsdMessage(OsdMessage kind)
{
    if (!m_pnlOsd)
        return;
    const OsdPlaybackState state = playbackState();
    if (kind == OsdMessage::Play)
        m_lblNo->setText(OsdClipText(state.playlistCount, state.playIndex));
    showInfoText(OsdStateText(kind, state.speed));
}

void OnScreenDisplay::ShowOsdText(const QString &text)
{
    if (!m_pnlOsd)
        return;
    showInfoText(text);
}

void OnScreenDisplay::showInfoText(const QString &text)
{
    // The state texts fit the panel's own width; a longer line widens it for as long as it
    // shows, up to the picture's right edge, and past that it loses its middle rather than its
    // end.
    const QFontMetrics metrics(m_lblInf->font());
    const QWidget *host = m_pnlOsd->parentWidget();
    const int room
        = host ? host->width() - m_pnlOsd->x() - kRightMargin - (kPanelWidth - kInfoWidth) : 0;
    const int widest = std::max(kInfoWidth, room);
    const QString shown = metrics.horizontalAdvance(text) + 4 <= widest
        ? text
        : metrics.elidedText(text, Qt::ElideMiddle, widest - 4);
    const int infoWidth = std::clamp(metrics.horizontalAdvance(shown) + 4, kInfoWidth, widest);
    m_lblInf->resize(infoWidth, m_lblInf->height());
    m_pnlOsd->resize(kPanelWidth + infoWidth - kInfoWidth, m_pnlOsd->height());
    m_lblInf->setText(shown);
    m_timerOsd.start(); // a running timer starts over
    showPanel(m_pnlOsd);
    setCovered(true);
}

void OnScreenDisplay::PlaybackResumed()
{
    if (stateShown() && !m_timerOsd.isActive())
        m_timerOsd.start();
}

void OnScreenDisplay::ShowVolume(int level)
{
    if (!m_pnlVol)
        return;
    m_lblMute->setAlignment(Qt::AlignLeft);
    m_lblMute->setText(QStringLiteral("Volume"));
    m_lblVol->setText(VolumeBarText(level));
    m_lblMute->show();
    m_lblVol->show();
    const bool videoVisible = m_hooks.videoVisible ? m_hooks.videoVisible() : true;
    if (videoVisible) {
        showPanel(m_pnlVol);
        setCovered(true);
        m_timerVol.start();
    } else if (volumeShown()) {
        // An untimed "Mute on" left up would otherwise turn into a volume bar that never goes.
        m_timerVol.start();
    }
}

void OnScreenDisplay::showMuteState(const QString &text)
{
    m_lblMute->setAlignment(Qt::AlignRight);
    m_lblMute->setText(text);
    m_lblMute->show();
    m_lblVol->hide();
    showPanel(m_pnlVol);
    setCovered(true);
}

void OnScreenDisplay::ShowMuteOn()
{
    if (!m_pnlVol)
        return;
    // Not timed: it stays until the sound comes back or the volume changes (or a timer still
    // running from an earlier change fires).
    showMuteState(QStringLiteral("Mute on"));
}

void OnScreenDisplay::ShowMuteOff()
{
    if (!m_pnlVol)
        return;
    showMuteState(QStringLiteral("Mute off"));
    m_timerVol.start();
}

void OnScreenDisplay::TimerOSDTimer()
{
    if (!m_pnlOsd)
        return;
    const OsdPlaybackState state = playbackState();
    // Fast motion and pauses stay on screen until the command that ends them shows its own
    // message, which starts the timer again; nothing needs to tick meanwhile.
    if (state.speed != 1.0 || state.paused) {
        m_timerOsd.stop();
        return;
    }
    m_timerOsd.stop();
    m_pnlOsd->hide();
    // The flag is shared by both displays: the other one may still cover the video.
    if (!volumeShown())
        setCovered(false);
}

void OnScreenDisplay::TimerVolTimer()
{
    m_timerVol.stop();
    if (!m_pnlVol)
        return;
    m_lblMute->hide();
    m_lblVol->hide();
    m_pnlVol->hide();
    if (!stateShown())
        setCovered(false);
}

void OnScreenDisplay::SetTimeText(const QString &text)
{
    if (m_lblTime && m_pnlOsd)
        m_lblTime->setText(text);
}

void OnScreenDisplay::LayoutForVideoWidth(int videoWidth)
{
    if (m_pnlVol)
        m_pnlVol->move(videoWidth - 192, 20);
}

} // namespace duvara
