#pragma once

#include <QWidget>

class QComboBox;
class QGroupBox;
class QSlider;
class QToolButton;

namespace duvara {

class TDSTrackBar;

// The "&Video" page of the control panel: transport buttons, mute, volume, help, the update
// check, the fullscreen monitor choice and the engine's hidden position track bar.
class VideoPage : public QWidget
{
    Q_OBJECT
public:
    explicit VideoPage(QWidget *parent = nullptr);

    QToolButton *BtnStop = nullptr;
    QToolButton *BtnPlay = nullptr;
    QToolButton *BtnPause = nullptr;
    QToolButton *BtnStep = nullptr;
    QToolButton *BtnRew = nullptr;
    QToolButton *BtnFF = nullptr;
    QToolButton *BtnPrv = nullptr;
    QToolButton *BtnNxt = nullptr;
    QToolButton *BtnMuteOn = nullptr;
    QToolButton *BtnMuteOff = nullptr;
    QSlider *SldVol = nullptr;
    QToolButton *BtnHlp = nullptr;
    QToolButton *BtnNew = nullptr;
    QGroupBox *GrpMonit = nullptr;
    QComboBox *CmbMonit = nullptr;
    TDSTrackBar *SldDS = nullptr;

    // The monitor group keeps its right edge near the position text above it.
    void placeMonitorGroup(int positionBarWidth);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *addButton(const char *name, int size, const QString &hint, int iconKind);
    void layoutControls();
};

} // namespace duvara
