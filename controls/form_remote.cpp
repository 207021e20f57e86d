#include "controls/form_remote.h"

namespace duvara {

TFormRemote::TFormRemote(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("FormRemote"));
    setWindowTitle(QStringLiteral("Remote"));
    setFixedSize(359, 109);
    setWindowOpacity(230.0 / 255.0);
}

} // namespace duvara
