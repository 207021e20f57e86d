#include "shell/form_new_version.h"

namespace duvara {

TFormNewV::TFormNewV(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormNewV"));
    setWindowTitle(QStringLiteral("New version"));
}

} // namespace duvara
