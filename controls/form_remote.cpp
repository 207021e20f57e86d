#include "controls/form_remote.h"

#include "controls/playlist.h"
#include "controls/remote_artwork.h"
#include "controls/segment_display.h"
#include "controls/transport.h"
#include "media/ds_track_bar.h"
#include "media/error_box.h"
#include "presentation/color_ref.h"
#include "presentation/subtitle_layout.h"
#include "presentation/synchronisation.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QWindow>

namespace duvara {

namespace {

constexpr int kOpacity = 230;
// The displays' segments in the 0x00BBGGRR notation of the rest of the player.
constexpr std::uint32_t kLitSegment = 0x0063DFFE;
constexpr std::uint32_t kUnlitSegment = 100;
constexpr std::uint32_t kDisplayGround = 0x00004080;

} // namespace

std::optional<int> MeterPressPosition(int x, int width, int maximum)
{
    if (x > 1 && x < width - 1) {
        if (maximum <= 0 || width <= 4)
            return 0;
        const double perUnit = static_cast<double>(width - 4) / maximum;
        return RoundHalfEven((x - 1) / perUnit);
    }
    if (x == 1)
        return 0;
    if (x == width - 1)
        return maximum;
    return std::nullopt;
}

QString RemoteDisplayText(int playIndex, const QString &time)
{
    return QStringLiteral("#%1 - %2").arg(playIndex + 1).arg(time);
}

QPoint RemotePlace(const QRect &pictureOnScreen)
{
    // Integer division cuts toward zero, also for a picture narrower than the remote.
    return {pictureOnScreen.left() + (pictureOnScreen.width() - kRemoteSize.width()) / 2,
            pictureOnScreen.top() + (3 * pictureOnScreen.height()) / 4};
}

TFormRemote::TFormRemote(const Parts &parts, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_playlist(parts.playlist)
    , m_sync(&parts.sync)
    , m_position(parts.position)
    , m_engineBar(parts.engineBar)
    , m_volume(parts.volume)
{
    setObjectName(QStringLiteral("FormRemote"));
    setWindowTitle(QStringLiteral("Remote"));
    setFixedSize(kRemoteSize);
    setWindowOpacity(kOpacity / 255.0);
    // The window is not given the keyboard when it appears: the keys keep working the picture.
    // It may still take the keyboard when the user clicks it, so that the window menu's
    // shortcuts and the volume slider's arrow keys work in it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMask(ShapeOfPicture(RemotePicture()));
    buildControls();
    wire(parts);
}

void TFormRemote::buildControls()
{
    ImgRem = new QLabel(this);
    ImgRem->setObjectName(QStringLiteral("ImgRem"));
    ImgRem->setGeometry(rect());
    // The window drags and closes on the picture's presses.
    ImgRem->setAttribute(Qt::WA_TransparentForMouseEvents);
    ImgRem->setPixmap(QPixmap::fromImage(RemotePicture(devicePixelRatioF())));

    const auto button
        = [this](const char *name, RemoteButton::Symbol symbol, QRect place, const QString &hint) {
              auto *made = new RemoteButton(symbol, this);
              made->setObjectName(QString::fromLatin1(name));
              made->setGeometry(place);
              made->setToolTip(hint);
              return made;
          };
    using Symbol = RemoteButton::Symbol;
    BtnPlay = button("BtnPlay", Symbol::Play, {16, 10, 50, 50}, QStringLiteral("Play\n<F3>"));
    BtnStop = button("BtnStop", Symbol::Stop, {31, 66, 35, 35}, QStringLiteral("Stop\n<F2>"));
    BtnPause = button("BtnPause", Symbol::Pause, {72, 66, 35, 35}, QStringLiteral("Pause\n<F4>"));
    BtnStep = button("BtnStep", Symbol::Step, {113, 66, 35, 35}, QStringLiteral("Step\n<F5>"));
    BtnRew = button("BtnRew", Symbol::Rewind, {162, 66, 35, 35},
                    QStringLiteral("Fast backward\n<Ctrl+B>"));
    BtnFF = button("BtnFF", Symbol::FastForward, {203, 66, 35, 35},
                   QStringLiteral("Fast forward\n<Ctrl+F>"));
    BtnPrv = button("BtnPrv", Symbol::Previous, {252, 66, 35, 35}, QStringLiteral("Previous"));
    BtnNxt = button("BtnNxt", Symbol::Next, {293, 66, 35, 35}, QStringLiteral("Next"));
    BtnMuteOn
        = button("BtnMuteOn", Symbol::Sound, {321, 30, 30, 30}, QStringLiteral("Mute\n<Ctrl+M>"));
    BtnMuteOff
        = button("BtnMuteOff", Symbol::Muted, {321, 30, 30, 30}, QStringLiteral("Mute\n<Ctrl+M>"));
    BtnMuteOff->hide();

    SldPos = new RemoteMeter(this);
    SldPos->setObjectName(QStringLiteral("SldPos"));
    SldPos->setGeometry(72, 17, 256, 8);

    const auto display = [this](const char *name, int top) {
        auto *made = new SegmentDisplay(this);
        made->setObjectName(QString::fromLatin1(name));
        made->setGeometry(72, top, 159, 16);
        made->setColors(colorFromRef(kLitSegment), colorFromRef(kUnlitSegment),
                        colorFromRef(kDisplayGround));
        made->setAttribute(Qt::WA_TransparentForMouseEvents);
        return made;
    };
    LblCurr = display("LblCurr", 28);
    LblCurr->setScrolling(true);
    LblDispl = display("LblDispl", 44);
    LblDispl->setCentred(true);
    LblDispl->setText(QStringLiteral("#0   0:00:00"));

    SldVol = new RemoteVolumeSlider(this);
    SldVol->setObjectName(QStringLiteral("SldVol"));
    SldVol->setGeometry(237, 36, 82, 16);
    SldVol->setRange(0, 10000);
    SldVol->setPageStep(200);
    SldVol->setSingleStep(100);
    SldVol->setToolTip(QStringLiteral("Volume\nIncrease <Arrow Right>\nDecrease <Arrow Left>"));
}

void TFormRemote::wire(const Parts &parts)
{
    using Command = Transport::Command;
    const std::pair<Command, RemoteButton *> faces[] = {
        {Command::Play, BtnPlay}, {Command::Pause, BtnPause}, {Command::Stop, BtnStop},
        {Command::Step, BtnStep}, {Command::Rew, BtnRew},     {Command::FF, BtnFF},
        {Command::Prev, BtnPrv},  {Command::Next, BtnNxt},
    };
    for (const auto &[command, face] : faces)
        parts.transport.AddFace(command, face);
    parts.transport.AddMutePair(BtnMuteOn, BtnMuteOff);
    connect(&parts.transport, &Transport::MediaStarted, this, [this] { ShowCurrentName(); });
    connect(&parts.sync, &Synchronisation::TimeTextChanged, this, &TFormRemote::ShowTime);

    SldPos->setMaximum(m_position.maximum());
    SldPos->setValue(m_position.value());
    connect(&m_position, &QSlider::rangeChanged, SldPos,
            [this](int, int maximum) { SldPos->setMaximum(maximum); });
    connect(&m_position, &QSlider::valueChanged, SldPos, &RemoteMeter::setValue);
    connect(SldPos, &RemoteMeter::pressed, this, [this](Qt::MouseButton button, int x) {
        RunGuarded(this, [&] { SldPosMouseDown(button, x); });
    });
    connect(SldPos, &RemoteMeter::released, this,
            [this](Qt::MouseButton button) { RunGuarded(this, [&] { SldPosMouseUp(button); }); });

    SldVol->setValue(m_volume.value());
    connect(&m_volume, &QSlider::valueChanged, SldVol, &QSlider::setValue);
    connect(SldVol, &QSlider::valueChanged, this, Guarded(this, [this] { SldVolChange(); }));
}

void TFormRemote::SetPopupMenu(QMenu *menu)
{
    for (QAction *action : menu->findChildren<QAction *>())
        addAction(action);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, menu,
            [menu] { menu->popup(QCursor::pos()); });
}

void TFormRemote::ShowOverPicture(QWidget *picture)
{
    if (m_sync)
        m_sync->SetVideoCovered(true);
    // A window manager keeps a focused fullscreen window above "always on top" windows, but
    // not above the windows that belong to it.
    if (picture) {
        winId();
        QWindow *over = picture->window()->windowHandle();
        if (over && windowHandle()->transientParent() != over)
            windowHandle()->setTransientParent(over);
    }
    show();
    raise();
}

void TFormRemote::PlaceOver(const QRect &pictureOnScreen)
{
    if (!isVisible())
        move(RemotePlace(pictureOnScreen));
}

void TFormRemote::SldPosMouseDown(Qt::MouseButton button, int x)
{
    // The meter seeks only while the main window's slider does: nothing to seek in otherwise.
    if (!m_position.isEnabled())
        return;
    if (const auto position = MeterPressPosition(x, SldPos->width(), SldPos->maximum()))
        m_position.setValue(*position);
    m_engineBar.MouseDown(button);
}

void TFormRemote::SldPosMouseUp(Qt::MouseButton button)
{
    if (m_engineBar.MouseHeld())
        m_engineBar.MouseUp(button);
}

void TFormRemote::SldVolChange()
{
    m_volume.setValue(SldVol->value());
}

void TFormRemote::ImgRemDblClick()
{
    hide();
}

void TFormRemote::ShowCurrentName()
{
    const QString path = m_playlist.PlaylistPath(m_playlist.PlayIndex());
    LblCurr->setText(QFileInfo(path).fileName());
}

void TFormRemote::ShowTime(const QString &time)
{
    LblDispl->setText(RemoteDisplayText(m_playlist.PlayIndex(), time));
}

void TFormRemote::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_pressedAt = event->globalPosition().toPoint();
    m_placeAtPress = pos();
    m_followingMouse = false;
}

void TFormRemote::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressedAt || !(event->buttons() & Qt::LeftButton))
        return QWidget::mouseMoveEvent(event);
    const QPoint moved = event->globalPosition().toPoint() - *m_pressedAt;
    if (!m_followingMouse) {
        if (moved.manhattanLength() < QApplication::startDragDistance())
            return;
        // A click or a double click never starts a move; a drag hands the window to the
        // window manager, as a drag on a caption would.
        if (windowHandle() && windowHandle()->startSystemMove()) {
            m_pressedAt.reset();
            return;
        }
        m_followingMouse = true;
    }
    move(m_placeAtPress + moved);
}

void TFormRemote::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressedAt.reset();
        m_followingMouse = false;
    }
    QWidget::mouseReleaseEvent(event);
}

void TFormRemote::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        ImgRemDblClick();
}

void TFormRemote::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // However it went, the picture is no longer covered by it.
    if (m_sync)
        m_sync->SetVideoCovered(false);
}

} // namespace duvara
