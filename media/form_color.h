#pragma once

#include <QDialog>

namespace duvara {

// The video settings dialog: brightness, contrast, hue and saturation of the picture.
class TFormColor : public QDialog
{
    Q_OBJECT
public:
    explicit TFormColor(QWidget *parent = nullptr);
};

} // namespace duvara
