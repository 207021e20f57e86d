// Builds the main window's widgets in their start states.
#include "shell/main_window.h"

#include "controls/playlist.h"
#include "controls/transport.h"
#include "presentation/synchronisation.h"

#include "controls/rlistview.h"
#include "controls/subtitle_list.h"
#include "controls/track_panel.h"
#include "controls/video_page.h"
#include "media/error_box.h"
#include "media/video_window.h"
#include "presentation/color_ref.h"
#include "presentation/gradient_panel.h"
#include "presentation/osd_display.h"
#include "presentation/subtitle_areas.h"
#include "presentation/subtitle_label.h"
#include "shell/idle_picture.h"
#include "shell/popup_menus.h"
#include "shell/shell_logging.h"
#include "shell/version.h"

#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>
#include <QSplitter>
#include <QStackedLayout>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <tuple>
#include <utility>

// The shell is a static library: its resources are registered by hand.
static void initShellResources()
{
    Q_INIT_RESOURCE(shell);
}

namespace duvara {

namespace {
constexpr int kControlPanelHeight = 109;
constexpr int kPositionBarHeight = 29;
constexpr int kPageControlHeight = 81;
constexpr int kPositionTextWidth = 144;
constexpr int kPlaylistWidth = 176;
constexpr int kSplitterWidth = 4;
constexpr std::uint32_t kPanelGradientFrom = 0x00A4D3E3;
constexpr std::uint32_t kPanelGradientTo = 0x002D7DB9;
constexpr std::uint32_t kSplitterColor = 0x007395AE;
constexpr std::uint32_t kMaroon = 0x00000080;

SubtitleListView *makeSubtitleList(const QString &name, QWidget *parent)
{
    auto *list = new SubtitleListView(parent);
    list->setObjectName(name);
    list->setHeaderHidden(true);
    list->setFrameShape(QFrame::NoFrame);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    list->setFont(font);
    // The design widths, widened where the font in use needs more for a number or a time
    // range in bold (the selected row).
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const int margins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    list->SetColumnWidths(
        {std::max(35, metrics.horizontalAdvance(QStringLiteral("0000")) + margins),
         std::max(156,
                  metrics.horizontalAdvance(QStringLiteral("00:00:00,000 - 00:00:00,000"))
                      + margins),
         342});
    QPalette colours = list->palette();
    colours.setColor(QPalette::Base, Qt::black);
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::Text, Qt::yellow);
    // The selected row is told by its white bold letters alone, not by a bar over the picture.
    colours.setColor(QPalette::Highlight, Qt::transparent);
    list->setPalette(colours);
    list->hide();
    return list;
}

} // namespace

void TFormVDMain::buildLayout()
{
    setWindowTitle(ProgramCaption());
    // Without Tahoma, fontconfig falls back to a much wider face that the design widths of the
    // lists and labels cannot hold; Liberation Sans is close to Tahoma's measure.
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"));
    setMinimumSize(800, 600);
    resize(800, 600);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    setFont(tahoma);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    PopupMenu1 = CreateWindowMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu2 = CreatePlaylistMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));

    Splitter = new QSplitter(Qt::Horizontal, this);
    Splitter->setObjectName(QStringLiteral("Splitter"));
    Splitter->setHandleWidth(kSplitterWidth);
    Splitter->setChildrenCollapsible(false);
    Splitter->addWidget(buildVideoArea());
    Splitter->addWidget(buildPlaylistPanel());
    Splitter->setStretchFactor(0, 1);
    Splitter->setStretchFactor(1, 0);
    Splitter->setSizes({800 - kPlaylistWidth - kSplitterWidth, kPlaylistWidth});
    // Coloured through its palette, not a style sheet: a style sheet here would stop the
    // subtitle panels' colours from reaching their labels.
    QWidget *handle = Splitter->handle(1);
    QPalette handleColour = handle->palette();
    handleColour.setColor(QPalette::Window, colorFromRef(kSplitterColor));
    handle->setPalette(handleColour);
    handle->setAutoFillBackground(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Splitter, 1);
    layout->addWidget(buildControlPanel());

    buildTimers();
}

QWidget *TFormVDMain::buildVideoArea()
{
    auto *area = new QWidget(this);
    area->setObjectName(QStringLiteral("VideoArea"));
    auto *stack = new QStackedLayout(area);
    stack->setStackingMode(QStackedLayout::StackAll);

    ImgIdle = new IdlePicture(area);
    ImgIdle->setObjectName(QStringLiteral("ImgIdle"));
    initShellResources();
    QFile jpeg(QStringLiteral(":/duvara/idle.jpg"));
    QString error;
    if (jpeg.open(QIODevice::ReadOnly))
        ImgIdle->setPicture(DecodeJpeg(jpeg.readAll(), &error));
    if (ImgIdle->picture().isNull())
        qCWarning(lcShell) << "idle picture unreadable:" << error;

    VideoWnd = new TDSVideoWindowEx2(area);
    VideoWnd->setObjectName(QStringLiteral("VideoWnd"));
    stack->addWidget(ImgIdle);
    stack->addWidget(VideoWnd);
    buildVideoChildren();
    VideoWnd->installEventFilter(this);
    VideoWnd->hide();
    return area;
}

void TFormVDMain::buildVideoChildren()
{
    PnlSub2 = new QWidget(VideoWnd);
    PnlSub2->setObjectName(QStringLiteral("PnlSub2"));
    PnlSub1 = new QWidget(VideoWnd);
    PnlSub1->setObjectName(QStringLiteral("PnlSub1"));
    LblSub2 = new RSubtitleLabel(PnlSub2);
    LblSub2->setObjectName(QStringLiteral("LblSub2"));
    LblSub1 = new RSubtitleLabel(PnlSub1);
    LblSub1->setObjectName(QStringLiteral("LblSub1"));
    LblNill2 = new QLabel(PnlSub2);
    LblNill2->setObjectName(QStringLiteral("LblNill2"));
    LblNill1 = new QLabel(PnlSub1);
    LblNill1->setObjectName(QStringLiteral("LblNill1"));
    // The panels keep the design size of the subtitle font; the labels show it scaled.
    QFont subtitleFont(QStringLiteral("Arial"));
    subtitleFont.setPointSize(22);
    for (auto [panel, label] : {std::pair {PnlSub1, LblSub1}, std::pair {PnlSub2, LblSub2}}) {
        panel->setFont(subtitleFont);
        label->setFont(subtitleFont);
        label->SetTextOutlineWidth(4);
        label->SetTextShadowColor(colorFromRef(0x00585858));
        label->SetFontColor(colorFromRef(0x00EFEFEF));
        label->SetKeyColor(VideoWnd->ColorKey());
    }
    LblSub1->SetTextVAlignment(TTextLayout::tlBottom);
    LblSub2->SetTextVAlignment(TTextLayout::tlTop);

    OnScreenDisplay::Hooks hooks;
    hooks.playbackState = [this] {
        return OsdPlaybackState {m_playlist->Count(), m_playlist->PlayIndex(), m_transport->Speed(),
                                 m_transport->CommandEnabled(Transport::Command::Step)};
    };
    hooks.videoVisible = [this] {
        return VideoWnd->isVisible();
    };
    hooks.setVideoCovered = [this](bool covered) {
        m_sync->SetVideoCovered(covered);
    };
    m_osd = std::make_unique<OnScreenDisplay>(PnlSub2, TimerOSD, TimerVol, std::move(hooks));

    LstSubt1 = makeSubtitleList(QStringLiteral("LstSubt1"), VideoWnd);
    LstSubt2 = makeSubtitleList(QStringLiteral("LstSubt2"), VideoWnd);
}

QWidget *TFormVDMain::buildPlaylistPanel()
{
    PnlPList = new QWidget(this);
    PnlPList->setObjectName(QStringLiteral("PnlPList"));
    PnlPList->setMinimumWidth(40);
    LstPL = new RListView(PnlPList);
    LstPL->setObjectName(QStringLiteral("LstPL"));
    LstPL->setColumnCount(2);
    LstPL->setHeaderHidden(true);
    LstPL->SetAllowHScroll(false);
    LstPL->header()->setStretchLastSection(false);
    LstPL->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    LstPL->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    auto *layout = new QVBoxLayout(PnlPList);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(LstPL);
    return PnlPList;
}

QWidget *TFormVDMain::buildControlPanel()
{
    PnlCntrl = new GradientPanel(this);
    PnlCntrl->setObjectName(QStringLiteral("PnlCntrl"));
    PnlCntrl->setFixedHeight(kControlPanelHeight);
    PnlCntrl->setGradient(colorFromRef(kPanelGradientFrom), colorFromRef(kPanelGradientTo));

    PnlPos = new QWidget(PnlCntrl);
    PnlPos->setObjectName(QStringLiteral("PnlPos"));
    PnlPos->setFixedHeight(kPositionBarHeight);
    PnlPos->installEventFilter(this);
    SldPos = new QSlider(Qt::Horizontal, PnlPos);
    SldPos->setObjectName(QStringLiteral("SldPos"));
    SldPos->setEnabled(false);
    LblPos = new QLabel(QStringLiteral("00:00:00  /  00:00:00"), PnlPos);
    LblPos->setObjectName(QStringLiteral("LblPos"));
    LblPos->setAlignment(Qt::AlignCenter);
    QFont arialBold(QStringLiteral("Arial"));
    arialBold.setBold(true);
    arialBold.setPointSize(8);
    LblPos->setFont(arialBold);
    LblPos->setStyleSheet(QStringLiteral("color: %1;").arg(colorFromRef(kMaroon).name()));

    PageCntrl = new QTabWidget(PnlCntrl);
    PageCntrl->setObjectName(QStringLiteral("PageCntrl"));
    PageCntrl->setFixedHeight(kPageControlHeight);
    // The pages show the panel's gradient through them.
    PageCntrl->setStyleSheet(QStringLiteral("QTabWidget::pane { background: transparent; "
                                            "border: 1px solid %1; }")
                                 .arg(colorFromRef(kSplitterColor).name()));
    TabVideo = new VideoPage(PageCntrl);
    Panel1 = new TrackPanel(1, QStringLiteral("TabSP"), PageCntrl);
    Panel2 = new TrackPanel(2, QStringLiteral("TabSS"), PageCntrl);
    PageCntrl->addTab(TabVideo, QStringLiteral("&Video"));
    PageCntrl->addTab(Panel1, QStringLiteral("&Primary subtitles"));
    PageCntrl->addTab(Panel2, QStringLiteral("&Secondary subtitles"));
    PageCntrl->setCurrentIndex(0);
    setFocusProxy(PageCntrl);

    auto *layout = new QVBoxLayout(PnlCntrl);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(PnlPos);
    layout->addStretch();
    layout->addWidget(PageCntrl);
    return PnlCntrl;
}

void TFormVDMain::buildTimers()
{
    // The on-screen display sets their intervals and answers their ticks.
    TimerOSD.setObjectName(QStringLiteral("TimerOSD"));
    TimerVol.setObjectName(QStringLiteral("TimerVol"));
    TimerOSD.setParent(this);
    TimerVol.setParent(this);
}

bool TFormVDMain::eventFilter(QObject *watched, QEvent *event)
{
    // The idle picture shows exactly while the video window is hidden.
    if (watched == VideoWnd && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        const bool videoShown = event->type() == QEvent::Show;
        ImgIdle->setVisible(!videoShown);
        if (videoShown)
            VideoWnd->raise();
    }
    if (event->type() == QEvent::Resize) {
        if (watched == VideoWnd)
            layoutVideoChildren();
        else if (watched == PnlPos)
            layoutPositionBar();
    }
    return QWidget::eventFilter(watched, event);
}

// The subtitle areas over the picture (presentation/subtitle_areas.h). Fonts hold their size
// for a 612-pixel-wide picture and scale with the width.
void TFormVDMain::layoutVideoChildren()
{
    const int w = VideoWnd->width();
    const int h = VideoWnd->height();

    const int listLeft = std::max(0, RoundHalfEven((w - 550) / 2.0));
    for (SubtitleListView *list : {LstSubt1, LstSubt2})
        list->setGeometry(listLeft, RoundHalfEven(h * 0.27), std::min(550, w),
                          RoundHalfEven(h * 0.46));

    const SubtitleAreas areas = LayOutSubtitleAreas(QSize(w, h), m_arrangement);
    for (const auto &[area, panel, label, spacer] :
         {std::tuple {areas.primary, PnlSub1, LblSub1, LblNill1},
          std::tuple {areas.secondary, PnlSub2, LblSub2, LblNill2}}) {
        panel->setGeometry(area.panel);
        spacer->setGeometry(area.spacer);
        label->setGeometry(area.label);
        // Setting it draws the caption at once: only a change of arrangement does.
        if (label->TextVAlignment() != area.alignment)
            label->SetTextVAlignment(area.alignment);
    }

    for (auto [panel, label] : {std::pair {PnlSub1, LblSub1}, std::pair {PnlSub2, LblSub2}}) {
        QFont font = label->font();
        const int points = RoundHalfEven(panel->font().pointSizeF() * w / 612.0);
        font.setPointSize(std::max(1, points));
        label->setFont(font);
        label->SetTextOutlineWidth(static_cast<std::uint8_t>(RoundHalfEven(points / 8.0)));
    }
    m_osd->LayoutForVideoWidth(w);
}

void TFormVDMain::SetSubtitleArrangement(SubtitleArrangement arrangement)
{
    m_arrangement = arrangement;
    layoutVideoChildren();
}

void TFormVDMain::layoutPositionBar()
{
    const int w = PnlPos->width();
    SldPos->setGeometry(4, 2, w - 159, kPositionBarHeight - 4);
    LblPos->setGeometry(w - kPositionTextWidth - 4, 0, kPositionTextWidth, kPositionBarHeight);
}

} // namespace duvara
