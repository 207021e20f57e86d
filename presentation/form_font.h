#pragma once

#include <QDialog>

namespace duvara {

// The subtitle font dialog of either track; its opener sets the caption and the track. So far
// the dialog has no controls of its own: it shows empty and changes nothing.
class TFormFont : public QDialog
{
    Q_OBJECT
public:
    explicit TFormFont(QWidget *parent = nullptr);

    int trackNumber() const { return m_track; }
    void setTrackNumber(int track) { m_track = track; }

private:
    int m_track = 1;
};

} // namespace duvara
