// The colour overlay on the graph's media core.
#include "media/core_color_overlay.h"

#include "media/filter_graph.h"

namespace duvara {

CoreColorOverlay::CoreColorOverlay(TFilterGraph &graph, bool softwareOutput)
    : m_graph(graph)
    , m_software(softwareOutput)
{ }

bool CoreColorOverlay::isActive() const
{
    return m_graph.Active() && m_graph.HasCore();
}

bool CoreColorOverlay::read(ColorRecord &record)
{
    const std::optional<MpvEqualizer> current = m_graph.PictureColors();
    if (!current)
        return false;
    record = RecordFromMpvEqualizer(*current, m_lastWritten);
    return true;
}

bool CoreColorOverlay::write(const ColorRecord &record)
{
    const auto stage
        = m_software ? TFilterGraph::ColorStage::Filter : TFilterGraph::ColorStage::Renderer;
    if (!m_graph.SetPictureColors(MpvEqualizerFromRecord(record), stage))
        return false;
    m_lastWritten = record;
    return true;
}

} // namespace duvara
