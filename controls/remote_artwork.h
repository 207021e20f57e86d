// The remote window's look: its body picture (lime where the window has no body), the shape
// taken from it, and the faces of its buttons, meter and volume slider. All of it is drawn
// here rather than shipped as images, so that it stays sharp at any screen scale.
#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QRegion>
#include <QSize>
#include <QSlider>
#include <QWidget>

namespace duvara {

constexpr QSize kRemoteSize(359, 109);
// The colour of the picture where the window is cut away.
constexpr QRgb kRemoteCutAway = 0xFF00FF00;

// The body picture at the given scale. Where the window has no body the picture is lime; the
// window then takes its shape from the picture at scale 1.
QImage RemotePicture(qreal scale = 1.0);
// Every pixel of the picture that is not lime.
QRegion ShapeOfPicture(const QImage &picture);

// A round button of the remote with a transport symbol on it.
class RemoteButton : public QAbstractButton
{
    Q_OBJECT
public:
    enum class Symbol {
        Play,
        Stop,
        Pause,
        Step,
        Rewind,
        FastForward,
        Previous,
        Next,
        Sound,
        Muted
    };

    RemoteButton(Symbol symbol, QWidget *parent);

    Symbol symbol() const { return m_symbol; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    Symbol m_symbol;
    bool m_hovered = false;
};

// The position meter: a sunken bar filled as far as the position. It shows; the window acts on
// its presses.
class RemoteMeter : public QWidget
{
    Q_OBJECT
public:
    explicit RemoteMeter(QWidget *parent);

    int maximum() const { return m_maximum; }
    int value() const { return m_value; }
    void setMaximum(int maximum);
    void setValue(int value);

signals:
    void pressed(Qt::MouseButton button, int x);
    void released(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_maximum = 0;
    int m_value = 0;
};

// The volume slider, drawn as a wedge that is lit up to its handle.
class RemoteVolumeSlider : public QSlider
{
    Q_OBJECT
public:
    explicit RemoteVolumeSlider(QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace duvara
