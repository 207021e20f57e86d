#include "controls/video_page.h"

#include "media/ds_track_bar.h"

#include <QComboBox>
#include <QGroupBox>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace duvara {

namespace {
constexpr int kGap = 4;
constexpr int kMonitorGroupWidth = 137;
constexpr int kMonitorGroupHeight = 49;
} // namespace

VideoPage::VideoPage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("TabVideo"));

    BtnStop = addButton("BtnStop", 35, QStringLiteral("Stop\n<F2>"), QStyle::SP_MediaStop);
    BtnPlay = addButton("BtnPlay", 50, QStringLiteral("Play\n<F3>"), QStyle::SP_MediaPlay);
    BtnPause = addButton("BtnPause", 35, QStringLiteral("Pause\n<F4>"), QStyle::SP_MediaPause);
    BtnStep = addButton("BtnStep", 35, QStringLiteral("Step\n<F5>"), QStyle::SP_ArrowRight);
    BtnRew = addButton("BtnRew", 35, QStringLiteral("Fast backward\n<Ctrl+B>"),
                       QStyle::SP_MediaSeekBackward);
    BtnFF = addButton("BtnFF", 35, QStringLiteral("Fast forward\n<Ctrl+F>"),
                      QStyle::SP_MediaSeekForward);
    BtnPrv = addButton("BtnPrv", 35, QStringLiteral("Previous"), QStyle::SP_MediaSkipBackward);
    BtnNxt = addButton("BtnNxt", 35, QStringLiteral("Next"), QStyle::SP_MediaSkipForward);
    BtnMuteOn
        = addButton("BtnMuteOn", 30, QStringLiteral("Mute\n<Ctrl+M>"), QStyle::SP_MediaVolume);
    BtnMuteOff = addButton("BtnMuteOff", 30, QStringLiteral("Mute\n<Ctrl+M>"),
                           QStyle::SP_MediaVolumeMuted);
    for (auto *button : {BtnStop, BtnPause, BtnStep, BtnRew, BtnFF, BtnPrv, BtnNxt})
        button->setEnabled(false);
    BtnMuteOff->hide();

    SldVol = new QSlider(Qt::Horizontal, this);
    SldVol->setObjectName(QStringLiteral("SldVol"));
    SldVol->setFixedSize(125, 25);
    SldVol->setToolTip(QStringLiteral("Volume\nIncrease <+>\nDecrease <->"));
    SldVol->setRange(0, 10000);
    SldVol->setPageStep(200);
    SldVol->setSingleStep(100);
    SldVol->setTickInterval(500);
    SldVol->setTickPosition(QSlider::TicksBelow);
    // Full volume until the settings say otherwise; the graph starts there too.
    SldVol->setValue(10000);

    BtnHlp = addButton("BtnHlp", 16, QStringLiteral("Help\n<F1>"), QStyle::SP_DialogHelpButton);
    BtnNew = addButton("BtnNew", 16, QStringLiteral("New version\n<Ctrl+N>"),
                       QStyle::SP_BrowserReload);

    GrpMonit = new QGroupBox(QStringLiteral("Fullscreen monitor"), this);
    GrpMonit->setObjectName(QStringLiteral("GrpMonit"));
    GrpMonit->setFixedSize(kMonitorGroupWidth, kMonitorGroupHeight);
    CmbMonit = new QComboBox(GrpMonit);
    CmbMonit->setObjectName(QStringLiteral("CmbMonit"));
    auto *monitorLayout = new QVBoxLayout(GrpMonit);
    monitorLayout->setContentsMargins(6, 2, 6, 4);
    monitorLayout->addWidget(CmbMonit);
    GrpMonit->hide();

    SldDS = new TDSTrackBar(this);
    SldDS->setObjectName(QStringLiteral("SldDS"));
    SldDS->hide();
}

QToolButton *VideoPage::addButton(const char *name, int size, const QString &hint, int iconKind)
{
    auto *button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setFixedSize(size, size);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setIcon(style()->standardIcon(static_cast<QStyle::StandardPixmap>(iconKind)));
    button->setIconSize(QSize(size * 3 / 5, size * 3 / 5));
    return button;
}

void VideoPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutControls();
}

void VideoPage::layoutControls()
{
    const int h = height();
    int x = kGap * 2;
    auto place = [&](QWidget *widget) {
        widget->move(x, (h - widget->height()) / 2);
        x += widget->width() + kGap;
    };
    for (auto *widget : std::initializer_list<QWidget *> {BtnStop, BtnPlay, BtnPause, BtnStep,
                                                          BtnRew, BtnFF, BtnPrv, BtnNxt})
        place(widget);
    x += kGap;
    BtnMuteOff->move(x, (h - BtnMuteOff->height()) / 2);
    place(BtnMuteOn);
    place(SldVol);
    x += kGap;
    const int helpTop = (h - BtnHlp->height() - BtnNew->height() - kGap) / 2;
    BtnHlp->move(x, helpTop);
    BtnNew->move(x, helpTop + BtnHlp->height() + kGap);
    placeMonitorGroup(width());
}

void VideoPage::placeMonitorGroup(int positionBarWidth)
{
    GrpMonit->move(positionBarWidth - 144, (height() - GrpMonit->height()) / 2);
}

} // namespace duvara
