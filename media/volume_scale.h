#pragma once

namespace duvara {

// Volume on the player's linear scale 0..10000 as hundredths of a decibel, -10000 (silence)
// .. 0 (full): N(ln(v + 1) * 1085.73) - 10000, N rounding halves to even. The logarithmic
// scale takes the value as decibels directly: v - 10000.
int LinearVolumeToHundredthsDb(int volume);
int LogarithmicVolumeToHundredthsDb(int volume);

// mpv's volume (0..100, cubic) that sounds the given attenuation; -10000 and below is silence.
double MpvVolumeForHundredthsDb(int hundredthsDb);

// Gains of the left and right channel for a balance in hundredths of a decibel: a positive
// balance lowers the left channel, a negative one the right.
struct ChannelGains
{
    double left;
    double right;
};
ChannelGains BalanceGains(int balance);

} // namespace duvara
