#pragma once

// For media/ only: the video output of a graph's session is made from the graph's mpv core.

#include <mpv/client.h>

namespace duvara {

class TFilterGraph;

// The graph's core: null before the graph's first activation, then the same core until the
// graph is destroyed (providers hear GraphCoreDestroying() just before).
mpv_handle *GraphCore(const TFilterGraph &graph);

} // namespace duvara
