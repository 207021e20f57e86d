// The program entry: one running instance per user; a second start hands its file over.
#include "media/error_box.h"
#include "media/prepared_core.h"
#include "shell/main_window.h"
#include "shell/shell_logging.h"
#include "shell/single_instance.h"
#include "shell/version.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <clocale>
#include <cstdio>

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

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Duvara"));
    QApplication::setApplicationVersion(duvara::ProgramVersion());
    // No display name: the window system would append it to every caption ("Duvara 1.0 —
    // Duvara"); the captions name the program themselves.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.duvara.Duvara"));
    // The media library reads and writes numbers in the C locale.
    std::setlocale(LC_NUMERIC, "C");

    const QStringList arguments = QCoreApplication::arguments();
    const bool hasFile = arguments.size() > 1;

    duvara::SingleInstance instance(duvara::InstanceEndpoint::forCurrentUser(),
                                    duvara::HandOverWaits::fromEnvironment());
    switch (instance.claim()) {
    case duvara::SingleInstance::Role::Secondary:
        return handOverAndEnd(instance, hasFile ? arguments.at(1) : QString());
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
    duvara::PreparedCore core;
    if (hasFile)
        core = duvara::PreparedCore::Start(true);
    duvara::TFormVDMain window;
    if (hasFile) {
        window.setCommandLineFile(arguments.at(1));
        window.filterGraph().AdoptCore(std::move(core));
        window.filterGraph().PreloadMediaFile(duvara::TrimmedFileName(arguments.at(1)));
    }
    QObject::connect(&instance, &duvara::SingleInstance::fileHandedOver, &window,
                     [&window](const QString &name) {
                         duvara::RunGuarded(&window, [&] { window.OpenFileByName(name); });
                     });
    window.CreateOtherWindows();
    window.show();
    return QApplication::exec();
}
