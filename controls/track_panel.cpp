#include "controls/track_panel.h"

#include "controls/spin_arrows.h"
#include "controls/time_edit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSpinBox>

namespace duvara {

namespace {
constexpr int kOffsetRange = 60000;
// The offset editor takes any six-digit number as it is typed; its owner clamps it to the
// offset's range, so a value typed too large becomes the limit rather than being refused
// key by key.
constexpr int kOffsetTypingRange = 999999;
constexpr int kDurationRange = 1800000;
} // namespace

TrackPanel::TrackPanel(int track, const QString &pageName, QWidget *parent)
    : QWidget(parent)
    , m_track(track)
{
    setObjectName(pageName);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 4, 6, 4);
    row->setSpacing(6);

    auto *buttons = new QVBoxLayout;
    auto *buttonRow1 = new QHBoxLayout;
    auto *buttonRow2 = new QHBoxLayout;
    BtnOpen = addButton(QStringLiteral("BtnOpen"), QStringLiteral("&Open"));
    BtnClr = addButton(QStringLiteral("BtnClr"), QStringLiteral("&Clear"));
    BtnSaveAs = addButton(QStringLiteral("BtnSaveAs"), QStringLiteral("Save &As"));
    BtnFont = addButton(QStringLiteral("BtnFont"), QStringLiteral("&Font"));
    BtnDef = addButton(QStringLiteral("BtnDef"), QStringLiteral("&Default"));
    BtnAlign = addButton(QStringLiteral("BtnAlign"), QStringLiteral("Al&ign"));
    BtnAlign->setToolTip(QStringLiteral("Align to the other track"));
    buttonRow1->addWidget(BtnOpen);
    buttonRow1->addWidget(BtnClr);
    buttonRow1->addWidget(BtnSaveAs);
    buttonRow2->addWidget(BtnFont);
    buttonRow2->addWidget(BtnDef);
    buttonRow2->addWidget(BtnAlign);
    buttonRow2->addStretch();
    buttons->addLayout(buttonRow1);
    buttons->addLayout(buttonRow2);
    row->addLayout(buttons);

    buildOffsetGroup();
    buildDurationGroup();
    row->addWidget(GrpOffset, 1);
    row->addWidget(GrpDur, 1);

    // Two rows fit the panel's height: the rate box stands beside the two check boxes.
    auto *checks = new QGridLayout;
    ChkOutline = new QCheckBox(QStringLiteral("Out&line"), this);
    ChkOutline->setObjectName(QStringLiteral("ChkOutline%1").arg(track));
    ChkOutline->setChecked(true);
    ChkShadow = new QCheckBox(QStringLiteral("Shado&w"), this);
    ChkShadow->setObjectName(QStringLiteral("ChkShadow%1").arg(track));
    checks->addWidget(ChkOutline, 0, 0);
    checks->addWidget(ChkShadow, 1, 0);
    CmbRate = new QComboBox(this);
    CmbRate->setObjectName(QStringLiteral("CmbRate%1").arg(track));
    // What a track timed in milliseconds (or no track) shows in the greyed-out box.
    CmbRate->setPlaceholderText(QStringLiteral("Frame rate"));
    CmbRate->setToolTip(QStringLiteral("Frames a second the track's frame numbers are read at"));
    checks->addWidget(CmbRate, 0, 1, 2, 1, Qt::AlignVCenter);
    row->addLayout(checks);

    for (QWidget *control : std::initializer_list<QWidget *> {
             BtnClr, BtnSaveAs, BtnFont, BtnDef, BtnAlign, CmbRate, GrpOffset, ScrOffset,
             EditOffset, GrpDur, ScrDur, ArwDur, EditDur, ChkOutline, ChkShadow})
        control->setEnabled(false);
}

QPushButton *TrackPanel::addButton(const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(name + QString::number(m_track));
    return button;
}

void TrackPanel::buildOffsetGroup()
{
    GrpOffset = new QGroupBox(QStringLiteral("Offset"), this);
    GrpOffset->setObjectName(QStringLiteral("GrpOffset%1").arg(m_track));
    ScrOffset = new QSlider(Qt::Horizontal, GrpOffset);
    ScrOffset->setObjectName(QStringLiteral("ScrOffset%1").arg(m_track));
    ScrOffset->setRange(-kOffsetRange, kOffsetRange);
    ScrOffset->setPageStep(1000);
    ScrOffset->setTickInterval(6000);
    ScrOffset->setTickPosition(QSlider::TicksBelow);
    EditOffset = new QSpinBox(GrpOffset);
    EditOffset->setObjectName(QStringLiteral("EditOffset%1").arg(m_track));
    EditOffset->setRange(-kOffsetTypingRange, kOffsetTypingRange);
    EditOffset->setSingleStep(100);
    EditOffset->setValue(0);
    EditOffset->setMinimumWidth(72);
    auto *layout = new QHBoxLayout(GrpOffset);
    layout->setContentsMargins(4, 0, 4, 2);
    layout->addWidget(ScrOffset, 1);
    layout->addWidget(EditOffset);
}

void TrackPanel::buildDurationGroup()
{
    GrpDur = new QGroupBox(QStringLiteral("Duration"), this);
    GrpDur->setObjectName(QStringLiteral("GrpDur%1").arg(m_track));
    ScrDur = new QSlider(Qt::Horizontal, GrpDur);
    ScrDur->setObjectName(QStringLiteral("ScrDur%1").arg(m_track));
    ScrDur->setRange(-kDurationRange, kDurationRange);
    ScrDur->setPageStep(1000);
    ScrDur->setTickInterval(90000);
    ScrDur->setTickPosition(QSlider::TicksBelow);
    // The spin box only lends its frame and arrows; the time edit lies over its text field.
    ArwDur = new SpinArrows(GrpDur);
    ArwDur->setObjectName(QStringLiteral("ArwDur%1").arg(m_track));
    ArwDur->setMinimumWidth(104);
    EditDur = new RTimeEdit(ArwDur);
    EditDur->setObjectName(QStringLiteral("EditDur%1").arg(m_track));
    EditDur->setFrame(false);
    ArwDur->installEventFilter(this);
    wireDurationFrame();
    auto *layout = new QHBoxLayout(GrpDur);
    layout->setContentsMargins(4, 0, 4, 2);
    layout->addWidget(ScrDur, 1);
    layout->addWidget(ArwDur);
}

// The editor lies inside the arrows' frame: the frame lights up while the mouse is over the
// editor or the editor has the focus.
void TrackPanel::wireDurationFrame()
{
    EditDur->installEventFilter(this);
    connect(EditDur, &RTimeEdit::OnMouseEnter, ArwDur, [this] { ArwDur->SetHot(true); });
    connect(EditDur, &RTimeEdit::OnMouseLeave, ArwDur, [this] {
        if (!EditDur->hasFocus())
            ArwDur->SetHot(false);
    });
}

bool TrackPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ArwDur && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        placeDurationEdit();
    if (watched == EditDur && event->type() == QEvent::FocusIn)
        ArwDur->SetHot(true);
    if (watched == EditDur && event->type() == QEvent::FocusOut)
        ArwDur->SetHot(false);
    return QWidget::eventFilter(watched, event);
}

void TrackPanel::placeDurationEdit()
{
    QStyleOptionSpinBox option;
    option.initFrom(ArwDur);
    option.frame = true;
    option.subControls = QStyle::SC_SpinBoxEditField;
    const QRect field = ArwDur->style()->subControlRect(QStyle::CC_SpinBox, &option,
                                                        QStyle::SC_SpinBoxEditField, ArwDur);
    EditDur->setGeometry(field);
}

} // namespace duvara
