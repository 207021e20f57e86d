#include "shell/main_window.h"

#include "controls/form_goto.h"
#include "controls/form_remote.h"
#include "controls/playlist_item.h"
#include "controls/rlistview.h"
#include "controls/track_panel.h"
#include "controls/video_page.h"
#include "media/form_color.h"
#include "media/video_window.h"
#include "presentation/form_font.h"
#include "presentation/position_text.h"
#include "shell/error_box.h"
#include "shell/other_windows.h"
#include "shell/popup_menus.h"
#include "shell/shell_logging.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QTreeWidgetItem>

namespace duvara {

namespace {

// Forwards every event of the application to the main window's key hook.
class AppKeyHook : public QObject
{
public:
    explicit AppKeyHook(TFormVDMain *window)
        : QObject(window)
        , m_window(window)
    { }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        return m_window->AppMessageHook(watched, event);
    }

private:
    TFormVDMain *m_window;
};

} // namespace

QString TrimmedFileName(const QString &name)
{
    qsizetype first = 0;
    qsizetype last = name.size();
    while (first < last && name.at(first).unicode() <= 0x20)
        ++first;
    while (last > first && name.at(last - 1).unicode() <= 0x20)
        --last;
    return name.mid(first, last - first);
}

QStringList MonitorListEntries(int monitorCount)
{
    QStringList entries {QStringLiteral("Current Monitor")};
    if (monitorCount > 1) {
        for (int i = 0; i < monitorCount; ++i)
            entries << QStringLiteral("Monitor %1").arg(i);
    }
    return entries;
}

TFormVDMain::TFormVDMain(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("FormVDMain"));
    FilterGraph.setObjectName(QStringLiteral("FilterGraph"));
    FilterGraph1.setObjectName(QStringLiteral("FilterGraph1"));
    buildLayout();
    FormCreate();
}

TFormVDMain::~TFormVDMain()
{
    // The hook must not see the events sent while the widgets below are torn down.
    delete m_keyHook;
}

void TFormVDMain::FormCreate()
{
    HelpFile = QCoreApplication::applicationDirPath() + QStringLiteral("/help/index.html");

    DurationText.clear();
    Speed = 1.0;
    MediaDuration = 0;
    VideoCovered = false;

    for (TrackPanel *panel : {Panel1, Panel2}) {
        panel->EditOffset->setValue(0);
        panel->EditOffset->setEnabled(false);
        panel->ArwDur->setEnabled(false);
    }

    // The menus' aspect marks follow the video window's mode.
    const char *aspectItems[] = {"MnuStretched", "MnuLetterBox", "MnuCrop"};
    const auto mode = static_cast<int>(VideoWnd->AspectRatio());
    if (QAction *item = PopupMenu1->item(QString::fromLatin1(aspectItems[mode])))
        item->setChecked(true);

    fillMonitorList();

    wireVideoWindow();
    wireSynchronisation();
    wireTransport();
    wirePlaylist();
    wireTrackPanels();
    connect(PopupMenu1->item(QStringLiteral("MnuExit")), &QAction::triggered, this,
            guarded(&TFormVDMain::MnuExitClick));
}

std::function<void()> TFormVDMain::guarded(void (TFormVDMain::*handler)())
{
    return [this, handler] {
        RunGuarded(this, [this, handler] { (this->*handler)(); });
    };
}

void TFormVDMain::fillMonitorList()
{
    const QStringList entries = MonitorListEntries(int(QGuiApplication::screens().size()));
    TabVideo->CmbMonit->clear();
    TabVideo->CmbMonit->addItems(entries);
    if (entries.size() > 1) {
        TabVideo->GrpMonit->show();
        TabVideo->CmbMonit->setCurrentIndex(0);
    } else {
        TabVideo->GrpMonit->hide();
        TabVideo->CmbMonit->setCurrentIndex(-1);
    }
}

void TFormVDMain::CreateOtherWindows()
{
    FormRemote = new TFormRemote(this);
    FormAbout = new TFormAbout(this);
    FormColor = new TFormColor(VideoWnd->ColorControl(), VideoWnd->Caps(), this);
    connect(FormColor, &TFormColor::errorRaised, FormColor,
            [this](const QString &message) { ShowErrorBox(FormColor, message); });
    FormFont = new TFormFont(this);
    FormGoTo = new TFormGoTo(this);
    FormFile = new TFormFile(this);
    FormNewV = new TFormNewV(this);
}

void TFormVDMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_firstShowDone)
        return;
    m_firstShowDone = true;
    // Runs once the window is on screen, so that it is painted before a file is opened.
    QMetaObject::invokeMethod(this, guarded(&TFormVDMain::FormShow), Qt::QueuedConnection);
}

void TFormVDMain::FormShow()
{
    LoadSettings();
    PlaylistTransient = false;
    QCoreApplication::processEvents();
    if (!m_commandLineFile.isNull() && !FilterGraph.Active())
        OpenFileByName(m_commandLineFile);
    qCInfo(lcShell) << "main window shown";
    emit shown();
}

void TFormVDMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TFormVDMain::FormActivate()
{
    if (!m_keyHook)
        m_keyHook = new AppKeyHook(this);
    // Installing again moves the hook to the front; it never runs twice for one event.
    qApp->installEventFilter(m_keyHook);
}

void TFormVDMain::closeEvent(QCloseEvent *event)
{
    if (m_exiting) {
        event->accept();
        return;
    }
    RunGuarded(this, [this] { FormCloseQuery(); });
    event->accept();
}

void TFormVDMain::FormCloseQuery()
{
    MnuExitClick();
    SaveSettings();
}

void TFormVDMain::MnuExitClick()
{
    m_exiting = true;
    FilterGraph.EmptyGraph();
    FilterGraph.SetActive(false);
    FilterGraph1.EmptyGraph();
    FilterGraph1.SetActive(false);
    // Ends the event loop without asking the windows to close again.
    QCoreApplication::exit(0);
}

void TFormVDMain::TimerLstFocusTimer()
{
    if (SldPos->isEnabled())
        SldPos->setFocus();
    TimerLstFocus.stop();
}

void TFormVDMain::OpenFileByName(const QString &name)
{
    const QString fileName = TrimmedFileName(name);
    if (fileName.isEmpty())
        return;
    qCInfo(lcShell).noquote() << "OpenFileByName:" << fileName;
    PlaylistTransient = true;
    OpenFiles({fileName});
}

void TFormVDMain::LoadSettings()
{
    qCDebug(lcShell) << "LoadSettings";
}

void TFormVDMain::SaveSettings()
{
    qCDebug(lcShell) << "SaveSettings";
}

bool TFormVDMain::AppMessageHook(QObject *, QEvent *)
{
    return false;
}

} // namespace duvara
