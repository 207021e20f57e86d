#include "controls/time_edit.h"

namespace duvara {

RTimeEdit::RTimeEdit(QWidget *parent) : QLineEdit(parent)
{
    // Hours take one or two digits; minutes, seconds and milliseconds are always complete.
    setInputMask(QStringLiteral("09:99:99,999;_"));
    setMaxLength(12);
    setText(QStringLiteral("00:00:00,000"));
}

} // namespace duvara
