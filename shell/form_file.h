#pragma once

#include "shell/file_types.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QGroupBox;
class QPushButton;

namespace duvara {

// Binds groups of media file types to the player: "&OK" binds the extensions of every checked
// group and unbinds those of every unchecked one. The checks themselves are kept by the settings
// file; setting them binds nothing.
//
// "&Cancel", Escape and the close box all put back the checks found at opening, so that what the
// dialog shows (and the settings file keeps) is what was last bound.
class TFormFile : public QDialog
{
    Q_OBJECT
public:
    explicit TFormFile(QWidget *parent = nullptr);

    // The check of each row (0 .. kFileTypeGroups.size() - 1), as the settings file keeps it.
    bool rowChecked(int row) const;
    void setRowChecked(int row, bool checked);

    // The handlers. "&OK" may raise the binding's errors; the connections catch them.
    void FormShow();
    void BtnAllClick();
    void BtnOKClick();
    void BtnCancelClick();

    QGroupBox *GrpFile = nullptr;
    std::array<QCheckBox *, kFileTypeGroups.size()> ChkFile {};
    QPushButton *BtnAll = nullptr;
    QPushButton *BtnOK = nullptr;
    QPushButton *BtnCancel = nullptr;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    FileTypeChecks checks() const;

    FileTypeChecks m_shownChecks {};
};

} // namespace duvara
