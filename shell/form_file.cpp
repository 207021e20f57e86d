#include "shell/form_file.h"

#include "media/dialog_placement.h"

#include "media/error_box.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace duvara {

TFormFile::TFormFile(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormFile"));
    setWindowTitle(QStringLiteral("File types"));

    GrpFile = new QGroupBox(this);
    GrpFile->setObjectName(QStringLiteral("GrpFile"));
    auto *rows = new QVBoxLayout(GrpFile);
    for (std::size_t row = 0; row < kFileTypeGroups.size(); ++row) {
        ChkFile[row] = new QCheckBox(QString::fromLatin1(kFileTypeGroups[row].text), GrpFile);
        ChkFile[row]->setObjectName(QStringLiteral("ChkFile%1").arg(row + 1));
        rows->addWidget(ChkFile[row]);
    }

    BtnAll = new QPushButton(QStringLiteral("Select &All"), this);
    BtnAll->setObjectName(QStringLiteral("BtnAll"));
    BtnOK = new QPushButton(QStringLiteral("&OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BtnAll);
    buttons->addStretch(1);
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GrpFile);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    connect(BtnAll, &QPushButton::clicked, this, [this] { BtnAllClick(); });
    connect(BtnOK, &QPushButton::clicked, this, Guarded(this, [this] { BtnOKClick(); }));
    connect(BtnCancel, &QPushButton::clicked, this, [this] { BtnCancelClick(); });
}

bool TFormFile::rowChecked(int row) const
{
    return ChkFile.at(static_cast<std::size_t>(row))->isChecked();
}

void TFormFile::setRowChecked(int row, bool checked)
{
    ChkFile.at(static_cast<std::size_t>(row))->setChecked(checked);
}

void TFormFile::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return; // the window manager restoring it, not the program opening it
    CentreOnPlayerScreen(*this);
    FormShow();
    ChkFile.front()->setFocus(Qt::OtherFocusReason);
}

void TFormFile::FormShow()
{
    m_shownChecks = checks();
}

void TFormFile::BtnAllClick()
{
    for (QCheckBox *check : ChkFile)
        check->setChecked(true);
}

void TFormFile::BtnOKClick()
{
    // An error leaves the dialog open with the user's checks: pressing "&OK" again retries, and
    // "&Cancel" puts back the checks of the opening.
    AssociateFileTypes(checks());
    accept();
}

void TFormFile::BtnCancelClick()
{
    reject();
}

void TFormFile::reject()
{
    // Only an open dialog has checks of its opening to go back to.
    if (isVisible()) {
        for (std::size_t row = 0; row < ChkFile.size(); ++row)
            ChkFile[row]->setChecked(m_shownChecks[row]);
    }
    QDialog::reject();
}

FileTypeChecks TFormFile::checks() const
{
    FileTypeChecks checks {};
    for (std::size_t row = 0; row < ChkFile.size(); ++row)
        checks[row] = ChkFile[row]->isChecked();
    return checks;
}

} // namespace duvara
