#include "media/fullscreen_host.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace duvara {

FullScreenHost::FullScreenHost(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("FullScreenHost"));
    setWindowTitle(QStringLiteral("Duvara"));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void FullScreenHost::closeEvent(QCloseEvent *event)
{
    if (m_releasing)
        event->accept();
    else
        event->ignore();
}

} // namespace duvara
