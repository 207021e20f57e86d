#pragma once

#include <QDialog>

namespace duvara {

// Asks for a position to jump to.
class TFormGoTo : public QDialog
{
    Q_OBJECT
public:
    explicit TFormGoTo(QWidget *parent = nullptr);
};

} // namespace duvara
