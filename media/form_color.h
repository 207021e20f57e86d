#pragma once

#include "media/color_control.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;

namespace duvara {

// The video settings dialog: brightness, contrast, hue and saturation of the picture, applied
// while the user drags. "&Cancel" (also Enter and Escape) returns the values found at opening;
// "&OK" and the close box keep the present ones.
//
// The control's operations may raise errors, and this dialog must not let one leave a slot. Each
// user action runs under the player's one guard, which shows the error box over this dialog.
// What the action did before the error stays done.
class TFormColor : public QDialog
{
    Q_OBJECT
public:
    static constexpr int HelpContext = 500;

    TFormColor(TColorControl &control, const TDSVideoWindowEx2Caps &caps,
               QWidget *parent = nullptr);

    QGroupBox *GrpColor = nullptr;
    QLabel *LblBrg = nullptr;
    QLabel *LblCnt = nullptr;
    QLabel *LblHue = nullptr;
    QLabel *LblStr = nullptr;
    QSlider *TrkBrg = nullptr;
    QSlider *TrkCnt = nullptr;
    QSlider *TrkHue = nullptr;
    QSlider *TrkStr = nullptr;
    QPushButton *BtnOK = nullptr;
    QPushButton *BtnCnc = nullptr;
    QPushButton *BtnDef = nullptr;

    // The handlers. They may raise the control's errors; the connections catch them.
    void FormShow();
    void GetValues();
    void TrkBrgChange();
    void TrkCntChange();
    void TrkHueChange();
    void TrkStrChange();
    void BtnDefClick();
    void BtnCancelClick();

signals:

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    template<typename Action> void runGuarded(Action &&action);
    void focusFirstControl();

    TColorControl &m_control;
    const TDSVideoWindowEx2Caps &m_caps;
    // The values found when the dialog was shown: the four sliders' positions and the three
    // values the dialog does not show.
    ColorRecord m_shownValues;
};

} // namespace duvara
