#pragma once

#include "media/color_mapping.h"
#include "media/color_overlay.h"

namespace duvara {

class TFilterGraph;

// The picture's colours on the graph's media core: the renderer's equalizer on the OpenGL
// output, an equalizer filter on the software output (whose renderer has no equalizer of its
// own). Writes never wait for the core; reads answer from what the graph last set.
class CoreColorOverlay : public ColorOverlay
{
public:
    CoreColorOverlay(TFilterGraph &graph, bool softwareOutput);

    void setSoftwareOutput(bool software) { m_software = software; }

    bool isActive() const override;
    bool read(ColorRecord &record) override;
    bool write(const ColorRecord &record) override;

private:
    TFilterGraph &m_graph;
    bool m_software;
    ColorRecord m_lastWritten;
};

} // namespace duvara
