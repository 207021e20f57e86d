#pragma once

#include <QWidget>

namespace duvara {

// The small remote control window that floats over the fullscreen picture. So far only its
// frame (size, look, stacking) is built; nothing shows it yet.
class TFormRemote : public QWidget
{
    Q_OBJECT
public:
    explicit TFormRemote(QWidget *parent = nullptr);
};

} // namespace duvara
