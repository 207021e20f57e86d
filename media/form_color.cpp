#include "media/form_color.h"

namespace duvara {

TFormColor::TFormColor(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormColor"));
    setWindowTitle(QStringLiteral("Video settings"));
}

} // namespace duvara
