#include "shell/volume_keys.h"

#include <QAbstractSlider>
#include <QKeyEvent>
#include <QWidget>

namespace duvara {

int VolumeKeyStep(int key, Qt::KeyboardModifiers modifiers)
{
    // With Alt held the key belongs to the window system's menus.
    if (modifiers & Qt::AltModifier)
        return 0;
    const bool keypad = modifiers & Qt::KeypadModifier;
    switch (key) {
    case Qt::Key_Plus:
        return kVolumeKeyStep;
    case Qt::Key_Minus:
        return -kVolumeKeyStep;
    // The key is meant, not the character: where the main keyboard's plus key gives "=" without
    // Shift and its minus key "_" with it, those count too.
    case Qt::Key_Equal:
        return keypad ? 0 : kVolumeKeyStep;
    case Qt::Key_Underscore:
        return -kVolumeKeyStep;
    default:
        return 0;
    }
}

VolumeKeys::VolumeKeys(QAbstractSlider &volume, QObject *parent)
    : QObject(parent)
    , m_volume(volume)
{ }

bool VolumeKeys::eventFilter(QObject *watched, QEvent *event)
{
    return AppMessageHook(watched, event);
}

bool VolumeKeys::AppMessageHook(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease)
        m_rising = nullptr;
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget) {
        // The window system's press reaches its window first, then the focused widget.
        m_rising = nullptr;
        return false;
    }
    const bool handedOn = event == m_rising && m_risingAt && m_risingAt->parentWidget() == widget;
    m_rising = event;
    m_risingAt = widget;
    if (handedOn)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (const int step = VolumeKeyStep(key->key(), key->modifiers()))
        m_volume.setValue(m_volume.value() + step);
    return false;
}

} // namespace duvara
