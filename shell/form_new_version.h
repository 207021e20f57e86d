#pragma once

#include <QDialog>

namespace duvara {

// Tells that a newer version of the player exists. So far an empty dialog; nothing opens it
// yet.
class TFormNewV : public QDialog
{
    Q_OBJECT
public:
    explicit TFormNewV(QWidget *parent = nullptr);
};

} // namespace duvara
