#include "shell/mpris_root_adaptor.h"

#include "shell/file_types.h"
#include "shell/mpris_service.h"

namespace duvara {

MprisRootAdaptor::MprisRootAdaptor(MprisService &service, QObject *exported)
    : QDBusAbstractAdaptor(exported)
    , m_service(service)
{ }

QString MprisRootAdaptor::Identity() const
{
    return QStringLiteral("Duvara");
}

// The desktop entry's name without its ".desktop": the panel finds the icon and name there.
QString MprisRootAdaptor::DesktopEntry() const
{
    QString id = QString::fromLatin1(kDesktopId);
    id.chop(int(sizeof(".desktop")) - 1);
    return id;
}

QStringList MprisRootAdaptor::SupportedUriSchemes() const
{
    return {QStringLiteral("file")};
}

// The types of the file type dialog, which the desktop entry lists too.
QStringList MprisRootAdaptor::SupportedMimeTypes() const
{
    return AllFileTypeMimeTypes();
}

void MprisRootAdaptor::Raise()
{
    m_service.Raise();
}

void MprisRootAdaptor::Quit(const QDBusMessage &message)
{
    if (const auto refusal = m_service.Quit())
        m_service.Refuse(message, *refusal);
}

} // namespace duvara
