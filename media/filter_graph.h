#pragma once

#include <QObject>

namespace duvara {

enum class VolumeScale { Linear, Logarithmic };

// A media graph: the player's handle on one playback session. This is the interface the shell
// needs at start and exit; playback itself arrives with the media adapter.
class TFilterGraph : public QObject
{
    Q_OBJECT
public:
    explicit TFilterGraph(QObject *parent = nullptr);

    bool Active() const { return m_active; }
    void SetActive(bool active);

    // Releases whatever media the graph holds; the graph stays active.
    void EmptyGraph();

    // Duration of a media file in 100-ns units; 0 while it cannot be measured.
    qint64 ProbeDuration(const QString &fileName);

    VolumeScale volumeScale() const { return m_volumeScale; }
    void setVolumeScale(VolumeScale scale) { m_volumeScale = scale; }

signals:
    void activeChanged(bool active);

private:
    bool m_active = false;
    VolumeScale m_volumeScale = VolumeScale::Linear;
};

} // namespace duvara
