#pragma once

#include <QWidget>

namespace duvara {

// The small remote control window that floats over the fullscreen picture.
class TFormRemote : public QWidget
{
    Q_OBJECT
public:
    explicit TFormRemote(QWidget *parent = nullptr);
};

} // namespace duvara
