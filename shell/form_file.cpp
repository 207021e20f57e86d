#include "shell/form_file.h"

namespace duvara {

TFormFile::TFormFile(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormFile"));
    setWindowTitle(QStringLiteral("File types"));
}

} // namespace duvara
