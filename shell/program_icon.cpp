#include "shell/program_icon.h"

#include <QDir>
#include <QFileInfo>

namespace duvara {

namespace {
const QString kIconName = QStringLiteral("org.duvara.Duvara");
} // namespace

QIcon ProgramIcon(const QString &programFolder)
{
    QIcon icon;
    const QDir sizes(QDir(programFolder).filePath(QStringLiteral("../share/icons/hicolor")));
    for (const int size : {48, 128, 256}) {
        const QString file
            = sizes.filePath(QStringLiteral("%1x%1/apps/%2.png").arg(size).arg(kIconName));
        if (QFileInfo(file).isFile())
            icon.addFile(file, QSize(size, size));
    }
    // A copy of the program elsewhere than its share/ still has the desktop's icon, if installed.
    return icon.isNull() ? QIcon::fromTheme(kIconName) : icon;
}

} // namespace duvara
