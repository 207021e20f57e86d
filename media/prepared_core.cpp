#include "media/prepared_core.h"

#include "media/mpv_core.h"

namespace duvara {

PreparedCore::PreparedCore() = default;
PreparedCore::~PreparedCore() = default;
PreparedCore::PreparedCore(PreparedCore &&) noexcept = default;
PreparedCore &PreparedCore::operator=(PreparedCore &&) noexcept = default;

// mpv may be created and initialised on any thread; the caller has put LC_NUMERIC to "C"
// before, as mpv requires.
PreparedCore PreparedCore::Start(bool audioEnabled)
{
    PreparedCore prepared;
    prepared.m_audioEnabled = audioEnabled;
    prepared.m_core = std::async(
        std::launch::async, [audioEnabled] { return std::make_unique<MpvCore>(audioEnabled); });
    return prepared;
}

std::unique_ptr<MpvCore> PreparedCore::take()
{
    return m_core.get();
}

} // namespace duvara
