// The plus and minus keys move the volume slider a step up or down in every window of the
// program. The key is not taken away: it still reaches the control that has the focus, so a
// plus typed into a field also raises the volume, and a held key repeats the step.
#pragma once

#include <QObject>
#include <QPointer>

class QAbstractSlider;
class QWidget;

namespace duvara {

constexpr int kVolumeKeyStep = 100;

// The change a key press makes to the volume: +kVolumeKeyStep, -kVolumeKeyStep or 0.
int VolumeKeyStep(int key, Qt::KeyboardModifiers modifiers);

class VolumeKeys : public QObject
{
    Q_OBJECT
public:
    // Acts once it is an event filter of the application.
    VolumeKeys(QAbstractSlider &volume, QObject *parent);

    // Sees every event of the program; moves the slider once for each key press.
    bool AppMessageHook(QObject *watched, QEvent *event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAbstractSlider &m_volume;
    // A key press that a widget leaves alone is handed on to its parent, through the
    // application's filters again: the press on its way up and where it was last.
    const QEvent *m_rising = nullptr;
    QPointer<QWidget> m_risingAt;
};

} // namespace duvara
