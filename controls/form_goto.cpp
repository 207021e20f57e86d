#include "controls/form_goto.h"

#include "controls/spin_arrows.h"
#include "controls/time_edit.h"
#include "media/ds_track_bar.h"
#include "media/error_box.h"
#include "presentation/color_ref.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QStyle>

namespace duvara {

namespace {
constexpr std::uint32_t kEdgeColor = 0x002D7DB9;
constexpr std::uint32_t kCentreColor = 0x00A4D3E3;
constexpr int kWholeSeconds = 8; // "00:00:00"
} // namespace

TFormGoTo::TFormGoTo(QSlider &position, TDSTrackBar &engineBar, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_position(position)
    , m_engineBar(engineBar)
{
    setObjectName(QStringLiteral("FormGoTo"));
    setWindowTitle(QStringLiteral("Go to position"));
    setFixedSize(214, 96);

    // The arrows' own edit area lies under the time edit: only their buttons show.
    ArwGoTo = new SpinArrows(this);
    ArwGoTo->setObjectName(QStringLiteral("ArwGoTo"));
    ArwGoTo->setGeometry(22, 24, 79, 21);
    ArwGoTo->setFocusPolicy(Qt::NoFocus);
    EditGoTo = new RTimeEdit(this);
    EditGoTo->setObjectName(QStringLiteral("EditGoTo"));
    EditGoTo->SetMaxLength(kWholeSeconds);
    EditGoTo->setFrame(false);
    EditGoTo->setGeometry(30, 27, 51, 15);

    BtnGoTo = new QPushButton(style()->standardIcon(QStyle::SP_MediaSeekForward),
                              QStringLiteral("&Go to"), this);
    BtnGoTo->setObjectName(QStringLiteral("BtnGoTo"));
    BtnGoTo->setGeometry(113, 22, 81, BtnGoTo->sizeHint().height());
    BtnGoTo->setDefault(true);
    BtnCancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                QStringLiteral("&Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setGeometry(113, 53, 81, BtnCancel->sizeHint().height());
    setTabOrder(EditGoTo, BtnGoTo);
    setTabOrder(BtnGoTo, BtnCancel);

    connect(ArwGoTo, &SpinArrows::OnStep, this,
            [this](bool up) { RunGuarded(this, [&] { ArwGoToButtonClick(up); }); });
    connect(BtnGoTo, &QPushButton::clicked, this, Guarded(this, [this] { BtnGoToClick(); }));
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormGoTo::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    RunGuarded(this, [this] { FormShow(); });
    EditGoTo->setFocus();
}

void TFormGoTo::FormShow()
{
    EditGoTo->SetMilliseconds(m_position.value());
}

void TFormGoTo::ArwGoToButtonClick(bool up)
{
    GetIncMode(*EditGoTo, up);
    if (EditGoTo->Milliseconds() > m_position.maximum())
        EditGoTo->SetMilliseconds(m_position.maximum());
    else if (EditGoTo->Milliseconds() < m_position.minimum())
        EditGoTo->SetMilliseconds(m_position.minimum());
}

void TFormGoTo::BtnGoToClick()
{
    // The slider keeps the time within the film; its change moves the engine's bar along, and
    // the release seeks there, to the bar's step of 100 ms.
    m_position.setValue(EditGoTo->Milliseconds());
    m_engineBar.MouseDown(Qt::LeftButton);
    m_engineBar.MouseUp(Qt::LeftButton);
    accept();
}

// Dark at both sides, light in the middle.
void TFormGoTo::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QLinearGradient gradient(0, 0, width(), 0);
    gradient.setColorAt(0.0, colorFromRef(kEdgeColor));
    gradient.setColorAt(0.5, colorFromRef(kCentreColor));
    gradient.setColorAt(1.0, colorFromRef(kEdgeColor));
    painter.fillRect(rect(), gradient);
}

} // namespace duvara
