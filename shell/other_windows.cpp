#include "shell/other_windows.h"

#include "shell/version.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace duvara {

TFormAbout::TFormAbout(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("About"));
    auto *layout = new QVBoxLayout(this);
    auto *name = new QLabel(QStringLiteral("<b>Duvara</b>"), this);
    name->setObjectName(QStringLiteral("LblName"));
    QFont big = name->font();
    big.setPointSize(big.pointSize() * 2);
    name->setFont(big);
    auto *version = new QLabel(QStringLiteral("version %1").arg(ProgramVersion()), this);
    version->setObjectName(QStringLiteral("LblVersion"));
    auto *maker = new QLabel(QStringLiteral("The Duvara developers"), this);
    maker->setObjectName(QStringLiteral("LblMaker"));
    for (auto *label : {name, version, maker}) {
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    auto *buttons = new QDialogButtonBox(this);
    auto *ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("BtnOK"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

} // namespace duvara
