#pragma once

#include "media/color_overlay.h"

#include <cstdint>
#include <string>

namespace duvara {

// mpv's video equalizer: the integer properties "brightness", "contrast", "hue" and "saturation",
// each -100..100 with 0 leaving the picture as decoded.
struct MpvEqualizer
{
    int brightness = 0;
    int contrast = 0;
    int hue = 0;
    int saturation = 0;

    friend bool operator==(const MpvEqualizer &a, const MpvEqualizer &b)
    {
        return a.brightness == b.brightness && a.contrast == b.contrast && a.hue == b.hue
            && a.saturation == b.saturation;
    }
    friend bool operator!=(const MpvEqualizer &a, const MpvEqualizer &b) { return !(a == b); }
};

// The controls an mpv picture honours. Sharpness, gamma and colour enable are kept by the colour
// control but have no effect; reporting them absent keeps the video window's caps honest.
constexpr std::uint32_t kMpvColorFlags
    = ColorFlag::Brightness | ColorFlag::Contrast | ColorFlag::Hue | ColorFlag::Saturation;

// One colour value and mpv's -100..100 scale, each side of the neutral point linear on its own:
//   value in [min, neutral]  ->  -100 .. 0
//   value in [neutral, max]  ->     0 .. 100
// so the neutral value is mpv's 0 and both ends of the range are mpv's ends.
//
//   Brightness 0..750..10000   -> -100..0..100  (7.5 units a step below, 92.5 above)
//   Contrast   0..10000..20000 -> -100..0..100  (100 units a step; mpv's gain 0..1..2)
//   Hue        -180..0..180    -> -100..0..100  (1.8 degrees a step; mpv turns by hue/100 * pi)
//   Saturation 0..10000..20000 -> -100..0..100  (100 units a step; mpv's factor 0..1..2)
//
// Contrast, hue and saturation keep their meaning exactly (10000 is 100 %, hue is in degrees).
// Brightness is split at its neutral point so that the whole slider acts and both of its ends
// reach mpv's ends, at the price of a much finer darkening side than brightening side.
//
// Values outside the ranges are clamped to them. Both directions round to the nearest step,
// halves away from zero. One mpv step spans more than one record unit on either side (at least
// 1.8), so mpv -> record -> mpv gives back the mpv value exactly: a record value settles after one
// trip to mpv and back, and writing what was read back never drifts.
struct ColorAxis
{
    int min;
    int neutral;
    int max;
};

constexpr ColorAxis kBrightnessAxis {0, 750, 10000};
constexpr ColorAxis kContrastAxis {0, 10000, 20000};
constexpr ColorAxis kHueAxis {-180, 0, 180};
constexpr ColorAxis kSaturationAxis {0, 10000, 20000};

int ColorValueToMpv(const ColorAxis &axis, int value);
int MpvToColorValue(const ColorAxis &axis, int mpvValue);

MpvEqualizer MpvEqualizerFromRecord(const ColorRecord &record);

// The record for what mpv holds now. Where mpv still holds what lastWritten maps to, lastWritten's
// value is kept, so a value written is read back unchanged even though mpv's scale is coarser;
// elsewhere the value comes from the inverse mapping. Sharpness, gamma and colour enable come from
// lastWritten, and the flags are kMpvColorFlags.
ColorRecord RecordFromMpvEqualizer(const MpvEqualizer &current, const ColorRecord &lastWritten);

// The software output's stand-in for the equalizer, as the value of mpv's "vf" property:
// "lavfi=[eq=brightness=B:contrast=C:saturation=S,hue=h=H]", with the eq part left out when
// brightness, contrast and saturation are neutral and the hue part left out when hue is; empty
// (no filter at all) when everything is neutral. The parameters follow mpv's own formulas, so
// both outputs show the same picture for the same values:
//   eq brightness = b / 100        (-1 .. 1, added to the 0..1 luma)
//   eq contrast   = 1 + c / 100    ( 0 .. 2, gain about mid grey)
//   eq saturation = 1 + s / 100    ( 0 .. 2, chroma gain)
//   hue h         = h * 1.8        (-180 .. 180 degrees)
// eq accepts wider ranges (contrast to 1000, saturation to 3); they are not used, as they only
// wreck the picture. The numbers are written with a fixed number of decimals and a full stop,
// whatever the locale.
std::string SoftwareColorFilter(const MpvEqualizer &equalizer);

} // namespace duvara
