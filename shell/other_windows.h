#pragma once

#include <QDialog>

namespace duvara {

// The About window: the program's name, its version and its maker.
class TFormAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TFormAbout(QWidget *parent = nullptr);
};

} // namespace duvara
