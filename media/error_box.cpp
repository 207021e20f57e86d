#include "media/error_box.h"

#include "media/media_logging.h"

#include <QMessageBox>

namespace duvara {

QString ErrorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void ShowErrorBox(QWidget *parent, const QString &message)
{
    const QString text = ErrorBoxText(message);
    qCWarning(lcMedia).noquote() << "error:" << text;
    QMessageBox::critical(parent, QStringLiteral("Duvara"), text);
}

} // namespace duvara
