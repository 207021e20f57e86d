#pragma once

#include <QSpinBox>

namespace duvara {

// A spin box that lends only its frame and its up and down arrows to an editor laid over its
// text field. Its own value never changes: each step is reported as OnStep. It can be shown hot
// (as under the mouse) while the editor inside it is.
class SpinArrows : public QSpinBox
{
    Q_OBJECT
public:
    explicit SpinArrows(QWidget *parent = nullptr);

    void stepBy(int steps) override;

    bool Hot() const { return m_hot; }
    void SetHot(bool hot);

signals:
    void OnStep(bool up);

protected:
    StepEnabled stepEnabled() const override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_hot = false;
};

} // namespace duvara
