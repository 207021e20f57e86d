#pragma once

#include <QLineEdit>

namespace duvara {

// A masked edit for times in the form hh:mm:ss,mmm.
class RTimeEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit RTimeEdit(QWidget *parent = nullptr);
};

} // namespace duvara
