#pragma once

#include <QWidget>

namespace duvara {

// The borderless window that carries the video window in fullscreen. It refuses to close
// while it holds the video window, so that a stray close request cannot destroy the picture.
class FullScreenHost : public QWidget
{
    Q_OBJECT
public:
    explicit FullScreenHost(QWidget *parent = nullptr);

    void setReleasing(bool releasing) { m_releasing = releasing; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool m_releasing = false;
};

} // namespace duvara
