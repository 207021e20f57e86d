#include "presentation/form_font.h"

namespace duvara {

TFormFont::TFormFont(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormFont"));
    setWindowTitle(QStringLiteral("Subtitles font"));
}

} // namespace duvara
