#include "media/volume_scale.h"

#include <cmath>

namespace duvara {

namespace {
constexpr int kSilence = -10000;

double gainForHundredthsDb(int hundredthsDb)
{
    return std::pow(10.0, hundredthsDb / 2000.0);
}
} // namespace

int LinearVolumeToHundredthsDb(int volume)
{
    // nearbyint follows the default rounding mode, which rounds halves to even.
    return static_cast<int>(std::nearbyint(std::log(volume + 1.0) * 1085.73)) - 10000;
}

int LogarithmicVolumeToHundredthsDb(int volume)
{
    return volume - 10000;
}

double MpvVolumeForHundredthsDb(int hundredthsDb)
{
    if (hundredthsDb <= kSilence)
        return 0.0;
    // mpv's volume v scales the amplitude by (v/100)^3, i.e. 60 * log10(v/100) decibels.
    return 100.0 * std::pow(10.0, hundredthsDb / 100.0 / 60.0);
}

ChannelGains BalanceGains(int balance)
{
    if (balance > 0)
        return {gainForHundredthsDb(-balance), 1.0};
    if (balance < 0)
        return {1.0, gainForHundredthsDb(balance)};
    return {1.0, 1.0};
}

} // namespace duvara
