#pragma once

// A media core made ahead of time; the public face of what MpvCore's unit implements.

#include <future>
#include <memory>

namespace duvara {

class MpvCore;

// A media core being made on a worker thread. Making one takes tens of milliseconds, which the
// program spends building its windows instead of waiting; a graph takes it over with
// TFilterGraph::AdoptCore.
class PreparedCore
{
public:
    PreparedCore();
    ~PreparedCore();
    PreparedCore(PreparedCore &&) noexcept;
    PreparedCore &operator=(PreparedCore &&) noexcept;

    static PreparedCore Start(bool audioEnabled);

    // False for a default-made one and once the core has been taken.
    bool valid() const { return m_core.valid(); }
    bool audioEnabled() const { return m_audioEnabled; }
    // Waits until the core is made; raises the media error when it could not be.
    std::unique_ptr<MpvCore> take();

private:
    std::future<std::unique_ptr<MpvCore>> m_core;
    bool m_audioEnabled = true;
};

} // namespace duvara
