// The program entry: one running instance per user; a second start hands its file over.
#include "media/error_box.h"
#include "media/prepared_core.h"
#include "shell/command_line.h"
#include "shell/dropped_files.h"
#include "shell/main_window.h"
#include "shell/program_icon.h"
#include "shell/shell_logging.h"
#include "shell/single_instance.h"
#include "shell/termination_signals.h"
#include "shell/version.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

void tellUser(const QString &message)
{
    std::fprintf(stderr, "duvara: %s\n", message.toLocal8Bit().constData());
}

// A later start: passes its file on to the running player and ends.
int handOverAndEnd(duvara::SingleInstance &instance, const QString &argument)
{
    const QString typed = duvara::TrimmedFileName(argument);
    // A blank name opens nothing, whichever folder it is read in.
    if (typed.isEmpty())
        return 0;
    const QString name = duvara::HandOverName(typed, QDir::currentPath());
    if (name.isEmpty()) {
        tellUser(QStringLiteral("the current folder cannot be read; %1 was not opened").arg(typed));
        return 1;
    }
    if (!instance.handOver(QFile::encodeName(name))) {
        tellUser(QStringLiteral("%1; %2 was not opened").arg(instance.errorString(), name));
        return 1;
    }
    return 0;
}

// --help and --version print and end. False for a line that asks for neither.
bool answered(const duvara::CommandLine &line)
{
    if (line.action == duvara::CommandLine::Action::Help) {
        std::fputs(duvara::kPlayerUsage, stdout);
    } else if (line.action == duvara::CommandLine::Action::Version) {
        std::printf("duvara %s\n", duvara::ProgramVersion().toUtf8().constData());
    } else {
        return false;
    }
    return true;
}

// The answer comes before anything needs a display. Qt's own options may still stand before
// them, so nothing else is judged here.
bool answeredWithoutWindow(int argc, char *argv[])
{
    const std::vector<std::string_view> words(argv + std::min(argc, 1), argv + argc);
    return answered(duvara::ParseCommandLine(words));
}

} // namespace

int main(int argc, char *argv[])
{
    if (answeredWithoutWindow(argc, argv))
        return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Duvara"));
    QApplication::setApplicationVersion(duvara::ProgramVersion());
    // No display name: the window system would append it to every caption ("Duvara 1.0 —
    // Duvara"); the captions name the program themselves.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.duvara.Duvara"));
    QApplication::setWindowIcon(duvara::ProgramIcon(QCoreApplication::applicationDirPath()));
    // The media library reads and writes numbers in the C locale.
    std::setlocale(LC_NUMERIC, "C");

    // Qt has taken its own options out of the arguments by now.
    std::vector<std::string> words;
    for (const QString &argument : QCoreApplication::arguments().mid(1))
        words.push_back(argument.toStdString());
    const duvara::CommandLine line
        = duvara::ParseCommandLine(std::vector<std::string_view>(words.begin(), words.end()));
    if (line.action == duvara::CommandLine::Action::Error) {
        tellUser(QStringLiteral("%1\nTry 'duvara --help' for more information.")
                     .arg(QString::fromStdString(line.error)));
        return 2;
    }
    // Asked after Qt's own options, which the first look took for unknown ones.
    if (answered(line))
        return 0;
    const bool hasFile = line.hasFile;
    const QString film = QString::fromStdString(line.file);

    duvara::SingleInstance instance(duvara::InstanceEndpoint::forCurrentUser(),
                                    duvara::HandOverWaits::fromEnvironment());
    switch (instance.claim()) {
    case duvara::SingleInstance::Role::Secondary:
        return handOverAndEnd(instance, film);
    case duvara::SingleInstance::Role::Failed:
        // Without the hand-over channel the player still works, file and all; only later starts
        // cannot reach it, and open players of their own.
        qCWarning(lcShell).noquote()
            << QStringLiteral("single instance unavailable: %1; this player runs on its own")
                   .arg(instance.errorString());
        break;
    case duvara::SingleInstance::Role::Primary:
        break;
    }

    // With a film to play, its media core is made while the window is built, and the film
    // starts loading as soon as the window can show it rather than once it is on screen.
    // A subtitle file given instead goes to a track once the window is up.
    const bool hasFilm = hasFile && !duvara::IsSubtitleFileName(duvara::TrimmedFileName(film));
    duvara::PreparedCore core;
    if (hasFilm)
        core = duvara::PreparedCore::Start(true);
    duvara::TFormVDMain window;
    if (hasFile)
        window.setCommandLineFile(film);
    if (hasFilm) {
        window.filterGraph().AdoptCore(std::move(core));
        window.filterGraph().PreloadMediaFile(duvara::TrimmedFileName(film));
    }
    QObject::connect(&instance, &duvara::SingleInstance::fileHandedOver, &window,
                     [&window](const QString &name) {
                         duvara::RunGuarded(&window, [&] { window.OpenFileByName(name); });
                     });
    duvara::TerminationSignals termination;
    QObject::connect(&termination, &duvara::TerminationSignals::terminationRequested, &window,
                     &QWidget::close);
    window.CreateOtherWindows();
    window.show();
    return QApplication::exec();
}
