#include "shell/error_box.h"

#include "shell/shell_logging.h"

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
    qCWarning(lcShell).noquote() << "error:" << text;
    QMessageBox::critical(parent, QStringLiteral("Duvara"), text);
}

} // namespace duvara
