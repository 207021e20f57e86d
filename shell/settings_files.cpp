#include "shell/settings_files.h"

#include "controls/playlist.h"
#include "controls/subtitle_track_controller.h"
#include "controls/track_panel.h"
#include "controls/video_commands.h"
#include "media/filter_graph.h"
#include "media/video_window.h"
#include "presentation/subtitle_layout.h"
#include "shell/form_file.h"
#include "shell/playlist_file.h"
#include "shell/recent_files.h"
#include "shell/recent_files_menu.h"
#include "shell/settings_store.h"
#include "shell/shell_logging.h"
#include "shell/subtitle_autoload.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSlider>
#include <QSplitter>
#include <QStandardPaths>
#include <QWidget>

#include <algorithm>

#include <unistd.h>

namespace duvara {

namespace {

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;
constexpr int kDefaultPlaylistWidth = 176;
constexpr int kDefaultVolume = 10000;
constexpr int kDefaultFontSize = 22;
// Sizes beyond this are no subtitle font anyone chose: drawing their outlines would take the
// machine's memory. Such a value reads as the default, as a value that is no number does.
constexpr int kLargestFontSize = 1000;
const QString kDefaultFontName = QStringLiteral("Arial");

// The values of [Subtitles] Layout.
constexpr int kLayoutAtTop = 0;
constexpr int kLayoutAtBottom = 1;

enum WindowState { kNormal = 0, kMinimised = 1, kMaximised = 2 };

bool onSomeScreen(const QRect &bounds)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(), [&](const QScreen *screen) {
        return screen->geometry().intersects(bounds);
    });
}

QString message(const std::exception &error)
{
    return QString::fromUtf8(error.what());
}

} // namespace

QString SettingsFolder()
{
    const QString chosen = qEnvironmentVariable("DUVARA_CONFIG_DIR");
    if (!chosen.isEmpty())
        return QDir::cleanPath(QDir(chosen).absolutePath());
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (!programFolder.isEmpty()
        && ::access(QFile::encodeName(programFolder).constData(), W_OK) == 0)
        return programFolder;
    // GenericConfigLocation follows XDG_CONFIG_HOME.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Duvara");
}

QString SettingsFilePath()
{
    return SettingsFolder() + QStringLiteral("/Duvara.ini");
}

QString PlaylistFilePath()
{
    return SettingsFolder() + QStringLiteral("/Duvara.plf");
}

SettingsFiles::SettingsFiles(const Parts &parts)
    : m_parts(parts)
{ }

void SettingsFiles::SetFileTypeDialog(TFormFile *dialog)
{
    m_fileTypeDialog = dialog;
    if (m_loaded)
        showFileTypes();
}

void SettingsFiles::showFileTypes()
{
    if (!m_fileTypeDialog)
        return;
    for (size_t row = 0; row < m_fileTypes.size(); ++row)
        m_fileTypeDialog->setRowChecked(int(row), m_fileTypes[row]);
}

void SettingsFiles::LoadSettings()
{
    QStringList problems;
    const QString path = SettingsFilePath();
    IniDocument document;
    try {
        if (const auto bytes = ReadSettingsFile(path))
            document = IniDocument(*bytes);
    } catch (const SettingsFileError &error) {
        problems << message(error) + QStringLiteral("; the settings start from their defaults");
    }
    const SettingsStore store(path, document);

    loadPosition(store);
    m_parts.volume.setValue(store.ReadInteger("Volume", "Level", kDefaultVolume));
    // The three marks were set one after the other in one radio group: the last one set wins.
    // With none set the picture keeps its mode.
    const TRatioModes mode = store.ReadBool("Aspect", "Crop", false) ? TRatioModes::rmCrop
        : store.ReadBool("Aspect", "LetterBox", true)                ? TRatioModes::rmLetterBox
        : store.ReadBool("Aspect", "Stretched", false)               ? TRatioModes::rmStretched
                                                                     : m_parts.video.AspectMode();
    m_parts.video.SetAspectMode(mode);
    loadTrack(store, "Subtitles1", m_parts.primary);
    loadTrack(store, "Subtitles2", m_parts.secondary);
    // An arrangement this version does not know reads as the default one.
    const bool atBottom = store.ReadInteger("Subtitles", "Layout", kLayoutAtTop) == kLayoutAtBottom;
    (atBottom ? m_parts.layoutAtBottom : m_parts.layoutAtTop).setChecked(true);
    m_parts.rememberSubtitles.setChecked(store.ReadBool("Subtitles", "RememberPerFilm", true));
    if (m_autoload) {
        m_autoload->SetEnabled(store.ReadBool("AutoLoad", "Enabled", true));
        m_autoload->SetLanguages(store.ReadString("AutoLoad", "Primary", QString()),
                                 store.ReadString("AutoLoad", "Secondary", QString()));
    }
    for (size_t row = 0; row < kFileTypeGroups.size(); ++row)
        m_fileTypes[row] = store.ReadBool("FileTypes", kFileTypeGroups[row].settingsKey, false);
    showFileTypes();
    if (m_recentFiles)
        m_recentFiles->SetFiles(ReadRecentFiles(store));
    m_loaded = true;

    loadPlaylist(problems);
    if (!problems.isEmpty())
        throw SettingsFileError(problems.join(QLatin1Char('\n')));
}

void SettingsFiles::loadPosition(const SettingsStore &store)
{
    QWidget &window = m_parts.window;
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    const auto centred = [screen](const QSize &size) {
        const QRect bounds = screen ? screen->geometry() : QRect();
        return QPoint(bounds.left() + RoundHalfEven((bounds.width() - size.width()) / 2.0),
                      bounds.top() + RoundHalfEven((bounds.height() - size.height()) / 2.0));
    };
    const QPoint byDefault = centred(window.size());
    const int left = store.ReadInteger("Position", "Left", byDefault.x());
    const int top = store.ReadInteger("Position", "Top", byDefault.y());
    const QSize size = QSize(store.ReadInteger("Position", "Width", kDefaultWidth),
                             store.ReadInteger("Position", "Height", kDefaultHeight))
                           .expandedTo(window.minimumSize());
    QRect placed(QPoint(left, top), size);
    // A place kept from a monitor that is gone would open the window where nobody sees it.
    if (!onSomeScreen(placed))
        placed.moveTopLeft(centred(size));
    window.setGeometry(placed);

    const int playlistWidth = store.ReadInteger("Position", "Splitter", kDefaultPlaylistWidth);
    const int both = m_parts.splitter.width() - m_parts.splitter.handleWidth();
    m_parts.splitter.setSizes({std::max(0, both - playlistWidth), playlistWidth});

    switch (store.ReadInteger("Position", "State", kNormal)) {
    case kMinimised:
        window.setWindowState(window.windowState() | Qt::WindowMinimized);
        break;
    case kMaximised:
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
        break;
    default:
        break;
    }
}

void SettingsFiles::loadTrack(const SettingsStore &store, const char *section, const Track &track)
{
    // The controller follows its boxes: a changed box changes the caption's look.
    track.panel.ChkOutline->setChecked(store.ReadBool(section, "Outline", true));
    track.panel.ChkShadow->setChecked(store.ReadBool(section, "Shadow", false));

    SubtitleTrackController::TrackFont font = track.controller.Font();
    QString name = store.ReadString(section, "FontName", kDefaultFontName).trimmed();
    if (name.isEmpty())
        name = kDefaultFontName;
    int size = store.ReadInteger(section, "FontSize", kDefaultFontSize);
    if (size < 1 || size > kLargestFontSize)
        size = kDefaultFontSize;
    int charset = store.ReadInteger(section, "FontCharset", 0);
    if (charset < 0 || charset > 255)
        charset = 0;
    font.font.setFamily(name);
    font.font.setPointSize(size);
    font.charset = charset;
    track.controller.SetFont(font);
}

void SettingsFiles::loadPlaylist(QStringList &problems)
{
    const QString path = PlaylistFilePath();
    PlaylistFileContents contents;
    QString unreadable;
    try {
        const auto bytes = ReadSettingsFile(path);
        if (!bytes)
            return;
        contents = ParsePlaylistFile(*bytes);
        if (!contents.unreadable.isEmpty())
            unreadable = QStringLiteral("The playlist file %1 cannot be read: %2")
                             .arg(path, contents.unreadable);
    } catch (const SettingsFileError &error) {
        unreadable = message(error);
    }
    if (!unreadable.isEmpty()) {
        // Kept aside rather than replaced at close by whatever the list then holds.
        const QString aside = PutFileAside(path);
        if (!aside.isEmpty()) {
            problems << unreadable
                    + QStringLiteral(". It was kept as %1; the playlist starts empty").arg(aside);
        } else {
            m_keepPlaylistFile = true;
            problems << unreadable
                    + QStringLiteral(". It stays as it is and the playlist is not saved over it; "
                                     "the playlist starts empty");
        }
        return;
    }
    m_parts.playlist.AddSavedRows(contents.rows);
    if (contents.heldRows < contents.promisedRows)
        problems << QStringLiteral("The playlist file %1 lists %2 rows but holds %3; the rows it "
                                   "holds were loaded")
                        .arg(path)
                        .arg(contents.promisedRows)
                        .arg(contents.heldRows);
}

void SettingsFiles::SaveSettings()
{
    // Before the settings were read the controls hold only their defaults: writing them would
    // put the defaults in place of what the user had.
    if (!m_loaded)
        return;
    QStringList failures;
    try {
        SettingsStore store(SettingsFilePath());
        savePosition(store);
        store.WriteInteger("Volume", "Level", m_parts.volume.value());
        const TRatioModes mode = m_parts.video.AspectMode();
        store.WriteBool("Aspect", "Stretched", mode == TRatioModes::rmStretched);
        store.WriteBool("Aspect", "LetterBox", mode == TRatioModes::rmLetterBox);
        store.WriteBool("Aspect", "Crop", mode == TRatioModes::rmCrop);
        saveTrack(store, "Subtitles1", m_parts.primary);
        saveTrack(store, "Subtitles2", m_parts.secondary);
        store.WriteInteger("Subtitles", "Layout",
                           m_parts.layoutAtBottom.isChecked() ? kLayoutAtBottom : kLayoutAtTop);
        store.WriteBool("Subtitles", "RememberPerFilm", m_parts.rememberSubtitles.isChecked());
        if (m_autoload) {
            store.WriteBool("AutoLoad", "Enabled", m_autoload->IsEnabled());
            store.WriteString("AutoLoad", "Primary", m_autoload->PrimaryLanguages());
            store.WriteString("AutoLoad", "Secondary", m_autoload->SecondaryLanguages());
        }
        if (m_fileTypeDialog) {
            for (size_t row = 0; row < m_fileTypes.size(); ++row)
                m_fileTypes[row] = m_fileTypeDialog->rowChecked(int(row));
        }
        for (size_t row = 0; row < kFileTypeGroups.size(); ++row)
            store.WriteBool("FileTypes", kFileTypeGroups[row].settingsKey, m_fileTypes[row]);
        if (m_recentFiles)
            WriteRecentFiles(store, m_recentFiles->Files());
        store.Commit();
    } catch (const SettingsFileError &error) {
        failures << message(error);
    }
    if (!m_parts.playlist.PlaylistTransient() && !m_keepPlaylistFile) {
        try {
            WritePlaylistFile(PlaylistFilePath(), m_parts.playlist.Rows());
        } catch (const SettingsFileError &error) {
            failures << message(error);
        }
    }
    if (!failures.isEmpty())
        throw SettingsFileError(failures.join(QLatin1Char('\n')));
}

void SettingsFiles::savePosition(SettingsStore &store) const
{
    const QWidget &window = m_parts.window;
    // A maximised window is kept with the bounds it returns to.
    QRect bounds = window.isMaximized() || window.isFullScreen() ? window.normalGeometry()
                                                                 : window.geometry();
    if (!bounds.isValid())
        bounds = window.geometry();
    const int state = window.isMinimized() ? kMinimised
        : window.isMaximized()             ? kMaximised
                                           : kNormal;
    store.WriteInteger("Position", "Left", bounds.left());
    store.WriteInteger("Position", "Top", bounds.top());
    store.WriteInteger("Position", "Width", bounds.width());
    store.WriteInteger("Position", "Height", bounds.height());
    store.WriteInteger("Position", "State", state);
    store.WriteInteger("Position", "Splitter", m_parts.playlistPanel.width());
}

void SettingsFiles::saveTrack(SettingsStore &store, const char *section, const Track &track) const
{
    const SubtitleTrackController::TrackFont font = track.controller.Font();
    store.WriteBool(section, "Outline", track.panel.ChkOutline->isChecked());
    store.WriteBool(section, "Shadow", track.panel.ChkShadow->isChecked());
    store.WriteString(section, "FontName", font.font.family());
    // A font measured in pixels has no point size; the default stands in for it.
    const int size = font.font.pointSize();
    store.WriteInteger(section, "FontSize", size > 0 ? size : kDefaultFontSize);
    store.WriteInteger(section, "FontCharset", font.charset);
}

} // namespace duvara
