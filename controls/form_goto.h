#pragma once

#include <QDialog>

namespace duvara {

// Asks for a position to jump to. So far only the empty dialog is built; nothing opens it yet.
class TFormGoTo : public QDialog
{
    Q_OBJECT
public:
    explicit TFormGoTo(QWidget *parent = nullptr);
};

} // namespace duvara
