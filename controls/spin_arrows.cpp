#include "controls/spin_arrows.h"

#include <QStyleOptionSpinBox>
#include <QStylePainter>

namespace duvara {

SpinArrows::SpinArrows(QWidget *parent)
    : QSpinBox(parent)
{
    // The editor keeps the focus, its caret and its selection while the arrows are pressed.
    setFocusPolicy(Qt::NoFocus);
}

void SpinArrows::stepBy(int steps)
{
    if (steps != 0)
        emit OnStep(steps > 0);
}

void SpinArrows::SetHot(bool hot)
{
    if (hot == m_hot)
        return;
    m_hot = hot;
    update();
}

QAbstractSpinBox::StepEnabled SpinArrows::stepEnabled() const
{
    return StepUpEnabled | StepDownEnabled;
}

void SpinArrows::paintEvent(QPaintEvent *)
{
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    if (m_hot)
        option.state |= QStyle::State_MouseOver | QStyle::State_HasFocus;
    QStylePainter painter(this);
    painter.drawComplexControl(QStyle::CC_SpinBox, option);
}

} // namespace duvara
