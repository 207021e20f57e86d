#include "controls/form_goto.h"

namespace duvara {

TFormGoTo::TFormGoTo(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormGoTo"));
    setWindowTitle(QStringLiteral("Go to position"));
    setFixedSize(214, 96);
}

} // namespace duvara
