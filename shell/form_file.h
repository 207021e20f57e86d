#pragma once

#include "shell/file_type_groups.h"

#include <QDialog>

#include <array>

namespace duvara {

// Binds groups of media file types to the player. So far an empty dialog; nothing opens it yet.
class TFormFile : public QDialog
{
    Q_OBJECT
public:
    explicit TFormFile(QWidget *parent = nullptr);

    // The check of each row (0 .. kFileTypeGroups.size() - 1), as the settings file keeps it.
    bool rowChecked(int row) const { return m_checked.at(row); }
    void setRowChecked(int row, bool checked) { m_checked.at(row) = checked; }

private:
    std::array<bool, kFileTypeGroups.size()> m_checked {};
};

} // namespace duvara
