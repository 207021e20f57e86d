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

// Binds groups of media file types to the player. So far an empty dialog; nothing opens it yet.
class TFormFile : public QDialog
{
    Q_OBJECT
public:
    explicit TFormFile(QWidget *parent = nullptr);
};

// Tells that a newer version of the player exists. So far an empty dialog; nothing opens it
// yet.
class TFormNewV : public QDialog
{
    Q_OBJECT
public:
    explicit TFormNewV(QWidget *parent = nullptr);
};

} // namespace duvara
