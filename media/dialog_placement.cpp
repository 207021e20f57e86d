#include "media/dialog_placement.h"

#include <QScreen>
#include <QWidget>

namespace duvara {

void CentreOnPlayerScreen(QWidget &dialog)
{
    QWidget *owner = dialog.parentWidget();
    QScreen *target = owner ? owner->window()->screen() : dialog.screen();
    if (!target)
        return;
    const QRect area = target->availableGeometry();
    dialog.move(area.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
}

} // namespace duvara
