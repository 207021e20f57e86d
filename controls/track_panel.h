#pragma once

#include "controls/spin_arrows.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QSlider;
class QSpinBox;

namespace duvara {

class RTimeEdit;

// The controls of one subtitle track on its page of the control panel. Both tracks use this
// class; the object names carry the track number (BtnOpen1, EditOffset2, ...).
class TrackPanel : public QWidget
{
    Q_OBJECT
public:
    // `track` numbers the controls' object names; `pageName` is the page's own.
    TrackPanel(int track, const QString &pageName, QWidget *parent = nullptr);

    int track() const { return m_track; }

    QPushButton *BtnOpen = nullptr;
    QPushButton *BtnClr = nullptr;
    QPushButton *BtnSaveAs = nullptr;
    QPushButton *BtnFont = nullptr;
    QPushButton *BtnDef = nullptr;
    QPushButton *BtnAlign = nullptr; // to the other track
    QGroupBox *GrpOffset = nullptr;
    QSlider *ScrOffset = nullptr;
    QSpinBox *EditOffset = nullptr;
    QGroupBox *GrpDur = nullptr;
    QSlider *ScrDur = nullptr;
    SpinArrows *ArwDur = nullptr;
    RTimeEdit *EditDur = nullptr;
    QCheckBox *ChkOutline = nullptr;
    QCheckBox *ChkShadow = nullptr;
    // The frame rate a MicroDVD track's frames are timed at.
    QComboBox *CmbRate = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPushButton *addButton(const QString &name, const QString &caption);
    void buildOffsetGroup();
    void buildDurationGroup();
    void placeDurationEdit();
    void wireDurationFrame();

    int m_track;
};

} // namespace duvara
