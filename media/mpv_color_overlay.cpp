#include "media/mpv_color_overlay.h"

#include "media/filter_graph.h"
#include "media/graph_core.h"

#include <mpv/client.h>

#include <cstdint>

namespace duvara {

namespace {

bool readInt(mpv_handle *core, const char *name, int &value)
{
    std::int64_t read = 0;
    if (mpv_get_property(core, name, MPV_FORMAT_INT64, &read) < 0)
        return false;
    value = static_cast<int>(read);
    return true;
}

void writeInt(mpv_handle *core, const char *name, int value)
{
    std::int64_t written = value;
    mpv_set_property(core, name, MPV_FORMAT_INT64, &written);
}

} // namespace

MpvColorOverlay::MpvColorOverlay(const TFilterGraph &graph, bool softwareOutput)
    : m_graph(graph), m_software(softwareOutput)
{
}

bool MpvColorOverlay::isActive() const
{
    return m_graph.Active() && GraphCore(m_graph) != nullptr;
}

bool MpvColorOverlay::read(ColorRecord &record)
{
    mpv_handle *core = GraphCore(m_graph);
    if (!core)
        return false;
    MpvEqualizer current = m_applied;
    if (!m_software
        && !(readInt(core, "brightness", current.brightness)
             && readInt(core, "contrast", current.contrast) && readInt(core, "hue", current.hue)
             && readInt(core, "saturation", current.saturation)))
        return false;
    record = RecordFromMpvEqualizer(current, m_lastWritten);
    return true;
}

bool MpvColorOverlay::write(const ColorRecord &record)
{
    mpv_handle *core = GraphCore(m_graph);
    if (!core)
        return false;
    const MpvEqualizer equalizer = MpvEqualizerFromRecord(record);
    if (m_software) {
        if (equalizer != m_applied)
            mpv_set_property_string(core, "vf", SoftwareColorFilter(equalizer).c_str());
    } else {
        writeInt(core, "brightness", equalizer.brightness);
        writeInt(core, "contrast", equalizer.contrast);
        writeInt(core, "hue", equalizer.hue);
        writeInt(core, "saturation", equalizer.saturation);
    }
    m_applied = equalizer;
    m_lastWritten = record;
    return true;
}

} // namespace duvara
