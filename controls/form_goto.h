#pragma once

#include <QDialog>

class QPushButton;
class QSlider;

namespace duvara {

class RTimeEdit;
class SpinArrows;
class TDSTrackBar;

// Asks for a playback time and jumps there the way a click on the position slider does: the
// slider takes the time, and the engine's track bar is pressed and released to seek to it.
class TFormGoTo : public QDialog
{
    Q_OBJECT
public:
    // `position` is the slider the user sees (milliseconds), `engineBar` the engine's track bar.
    TFormGoTo(QSlider &position, TDSTrackBar &engineBar, QWidget *parent = nullptr);

    // Takes the present position each time the dialog shows.
    void FormShow();
    // Steps the field under the caret, kept within the film.
    void ArwGoToButtonClick(bool up);
    // Jumps and closes.
    void BtnGoToClick();

    RTimeEdit *EditGoTo = nullptr;
    SpinArrows *ArwGoTo = nullptr;
    QPushButton *BtnGoTo = nullptr;
    QPushButton *BtnCancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QSlider &m_position;
    TDSTrackBar &m_engineBar;
};

} // namespace duvara
