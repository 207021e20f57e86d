#include "media/form_color.h"

#include "media/dialog_placement.h"

#include "media/error_box.h"

#include "media/media_logging.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <utility>

namespace duvara {

namespace {

QSlider *makeTrackBar(QWidget *parent, const char *name, int min, int max, int page, int tick,
                      int position)
{
    auto *slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QLatin1String(name));
    slider->setRange(min, max);
    slider->setPageStep(page);
    slider->setTickInterval(tick);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setValue(position);
    return slider;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

TFormColor::TFormColor(TColorControl &control, const TDSVideoWindowEx2Caps &caps, QWidget *parent)
    : QDialog(parent)
    , m_control(control)
    , m_caps(caps)
{
    setObjectName(QStringLiteral("FormColor"));
    setWindowTitle(QStringLiteral("Video settings"));
    setFixedSize(352, 249);

    GrpColor = new QGroupBox(this);
    GrpColor->setObjectName(QStringLiteral("GrpColor"));
    LblBrg = makeLabel(GrpColor, "LblBrg", QStringLiteral("Brightness"));
    LblCnt = makeLabel(GrpColor, "LblCnt", QStringLiteral("Contrast"));
    LblHue = makeLabel(GrpColor, "LblHue", QStringLiteral("Hue"));
    LblStr = makeLabel(GrpColor, "LblStr", QStringLiteral("Saturation"));
    TrkBrg = makeTrackBar(GrpColor, "TrkBrg", 0, 10000, 100, 200, 5000);
    TrkCnt = makeTrackBar(GrpColor, "TrkCnt", 0, 20000, 200, 400, 10000);
    TrkHue = makeTrackBar(GrpColor, "TrkHue", -180, 180, 100, 7, 0);
    TrkStr = makeTrackBar(GrpColor, "TrkStr", 0, 20000, 200, 400, 10000);

    auto *grid = new QGridLayout(GrpColor);
    const std::pair<QLabel *, QSlider *> rows[]
        = {{LblBrg, TrkBrg}, {LblCnt, TrkCnt}, {LblHue, TrkHue}, {LblStr, TrkStr}};
    int row = 0;
    for (const auto &[label, slider] : rows) {
        grid->addWidget(label, row, 0);
        grid->addWidget(slider, row, 1);
        ++row;
    }
    grid->setColumnStretch(1, 1);

    BtnOK = makeButton(this, "BtnOK", QStringLiteral("&OK"));
    BtnCnc = makeButton(this, "BtnCnc", QStringLiteral("&Cancel"));
    BtnDef = makeButton(this, "BtnDef", QStringLiteral("&Default"));
    BtnCnc->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCnc);
    buttons->addWidget(BtnDef);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GrpColor);
    layout->addLayout(buttons);

    setTabOrder(TrkBrg, TrkCnt);
    setTabOrder(TrkCnt, TrkHue);
    setTabOrder(TrkHue, TrkStr);
    setTabOrder(TrkStr, BtnOK);
    setTabOrder(BtnOK, BtnCnc);
    setTabOrder(BtnCnc, BtnDef);

    connect(TrkBrg, &QSlider::valueChanged, this,
            [this] { runGuarded([this] { TrkBrgChange(); }); });
    connect(TrkCnt, &QSlider::valueChanged, this,
            [this] { runGuarded([this] { TrkCntChange(); }); });
    connect(TrkHue, &QSlider::valueChanged, this,
            [this] { runGuarded([this] { TrkHueChange(); }); });
    connect(TrkStr, &QSlider::valueChanged, this,
            [this] { runGuarded([this] { TrkStrChange(); }); });
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCnc, &QPushButton::clicked, this, [this] { BtnCancelClick(); });
    connect(BtnDef, &QPushButton::clicked, this, [this] { runGuarded([this] { BtnDefClick(); }); });
}

template<typename Action> void TFormColor::runGuarded(Action &&action)
{
    RunGuarded(this, std::forward<Action>(action));
}

void TFormColor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return; // the window manager restoring it, not the program opening it
    CentreOnPlayerScreen(*this);
    runGuarded([this] { FormShow(); });
    focusFirstControl();
}

void TFormColor::keyPressEvent(QKeyEvent *event)
{
    // Escape is "&Cancel" pressed, which puts the values back; QDialog would only reject.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        BtnCnc->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormColor::focusFirstControl()
{
    // Opening always starts on the sliders, so Enter means "&Cancel" whatever was clicked the
    // last time the dialog was open.
    for (QSlider *slider : {TrkBrg, TrkCnt, TrkHue, TrkStr}) {
        if (slider->isEnabled()) {
            slider->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    BtnCnc->setFocus(Qt::OtherFocusReason);
}

void TFormColor::FormShow()
{
    TrkBrg->setEnabled(m_caps.CanControlBrigtness());
    TrkCnt->setEnabled(m_caps.CanControlContrast());
    TrkHue->setEnabled(m_caps.CanControlHue());
    TrkStr->setEnabled(m_caps.CanControlSaturation());

    GetValues();

    // The values the dialog does not show are put back by "&Cancel" too. A picture that reports
    // one of them out of range would make that refused, and the four shown values with it.
    m_shownValues = m_control.Values();
    m_shownValues.sharpness = std::clamp(m_shownValues.sharpness, 0, 10);
    m_shownValues.gamma = std::clamp(m_shownValues.gamma, 1, 500);
    m_shownValues.brightness = TrkBrg->value();
    m_shownValues.contrast = TrkCnt->value();
    m_shownValues.hue = TrkHue->value();
    m_shownValues.saturation = TrkStr->value();
}

void TFormColor::GetValues()
{
    // A position that changes runs its slider's handler, which writes the value back; a value the
    // slider cannot show is written back as the nearest end of the slider.
    TrkStr->setValue(m_control.Saturation());
    TrkHue->setValue(m_control.Hue());
    TrkCnt->setValue(m_control.Contrast());
    TrkBrg->setValue(m_control.Brightness());
}

void TFormColor::TrkBrgChange()
{
    m_control.SetBrightness(TrkBrg->value());
}

void TFormColor::TrkCntChange()
{
    m_control.SetContrast(TrkCnt->value());
}

void TFormColor::TrkHueChange()
{
    m_control.SetHue(TrkHue->value());
}

void TFormColor::TrkStrChange()
{
    m_control.SetSaturation(TrkStr->value());
}

void TFormColor::BtnDefClick()
{
    m_control.RestoreDefaults();
    GetValues();
}

void TFormColor::BtnCancelClick()
{
    // "&Default" also changes the values the dialog does not show, so all seven go back, in one
    // write. The dialog closes even when that fails: the user asked to leave it.
    runGuarded([this] { m_control.SetValues(m_shownValues); });
    reject();
}

} // namespace duvara
