// The program entry: one running instance per user; a second start hands its file over.
#include "media/prepared_core.h"
#include "presentation/error_box.h"
#include "shell/main_window.h"
#include "shell/shell_logging.h"
#include "shell/single_instance.h"

#include <QApplication>
#include <QFile>

#include <clocale>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Duvara"));
    QApplication::setApplicationDisplayName(QStringLiteral("Duvara"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.duvara.Duvara"));
    // The media library reads and writes numbers in the C locale.
    std::setlocale(LC_NUMERIC, "C");

    const QStringList arguments = QCoreApplication::arguments();
    const bool hasFile = arguments.size() > 1;

    duvara::SingleInstance instance(duvara::InstanceEndpoint::forCurrentUser());
    switch (instance.claim()) {
    case duvara::SingleInstance::Role::Secondary:
        if (hasFile)
            instance.handOver(QFile::encodeName(arguments.at(1)));
        return 0;
    case duvara::SingleInstance::Role::Failed:
        // Without the hand-over channel the player still works; only later starts cannot
        // reach it.
        qCWarning(lcShell).noquote() << "single instance unavailable:" << instance.errorString();
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
