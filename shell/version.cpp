#include "shell/version.h"

namespace duvara {

QString ProgramVersion()
{
    return QStringLiteral(DUVARA_VERSION);
}

int ProgramVersionNumber()
{
    return DUVARA_VERSION_MAJOR * 10000 + DUVARA_VERSION_MINOR * 100 + DUVARA_VERSION_PATCH;
}

QString ProgramCaption()
{
    return QStringLiteral("Duvara %1.%2").arg(DUVARA_VERSION_MAJOR).arg(DUVARA_VERSION_MINOR);
}

} // namespace duvara
