#pragma once

#include "media/color_mapping.h"
#include "media/color_overlay.h"

namespace duvara {

class TFilterGraph;

// The picture's colours on the media core: its equalizer properties on the OpenGL output, an
// equalizer filter on the software output (whose renderer has no equalizer of its own).
class MpvColorOverlay : public ColorOverlay
{
public:
    MpvColorOverlay(const TFilterGraph &graph, bool softwareOutput);

    void setSoftwareOutput(bool software) { m_software = software; }

    bool isActive() const override;
    bool read(ColorRecord &record) override;
    bool write(const ColorRecord &record) override;

private:
    const TFilterGraph &m_graph;
    bool m_software;
    ColorRecord m_lastWritten;
    MpvEqualizer m_applied;
};

} // namespace duvara
