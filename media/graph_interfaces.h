#pragma once

#include <cstdint>

namespace duvara {

class TFilterGraph;

// What the graph tells the components attached to it.
enum class GraphAction {
    gaPlay,
    gaPause,
    gaStop,
    gaRendering,
    gaRendered,
    gaActivated,
    gaDeactivating
};

enum class PlayState { psNoGraph, psStopped, psPaused, psRunning };

// The steps through which a provider's video output joins and leaves a graph session.
enum class FilterStage { fsAdding, fsAdded, fsRemoving, fsRemoved };

// Graph event codes the player acts on.
namespace GraphEvent {
constexpr int EC_COMPLETE = 1;
// Playback of the loaded file broke off; param1 is the framework's (negative) code.
constexpr int EC_ERRORABORT = 3;
constexpr int EC_PALETTE_CHANGED = 9;
// mpv has no clock to change: raised when the picture's display size becomes known or changes,
// with the width in param1 and the height in param2.
constexpr int EC_CLOCK_CHANGED = 13;
constexpr int EC_STEP_COMPLETE = 36;
} // namespace GraphEvent

// A component that follows a graph: it sees every graph event before anyone else and every
// graph action.
class GraphListener
{
public:
    virtual ~GraphListener() = default;
    virtual void HandleGraphEvent(int code, std::intptr_t param1, std::intptr_t param2) = 0;
    virtual void HandleGraphAction(GraphAction action, std::intptr_t param) = 0;
};

// A component that brings its own video output to every session of a graph (the video window).
class FilterProvider
{
public:
    virtual ~FilterProvider() = default;
    virtual void FilterStage(duvara::FilterStage stage) = 0;
    // Asked before a file is loaded ahead of any session: true once the provider's video
    // output is attached to the graph's core, so that the file may load now.
    virtual bool PrepareOutput() { return false; }
    // The graph's media core is about to be destroyed: free everything made from it.
    virtual void GraphCoreDestroying() = 0;
};

} // namespace duvara
