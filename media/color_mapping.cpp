#include "media/color_mapping.h"

#include <algorithm>
#include <cstdlib>

namespace duvara {

namespace {

constexpr int kMpvLimit = 100;

// numerator / denominator rounded to the nearest integer, halves away from zero; denominator > 0.
int roundedDivision(long long numerator, long long denominator)
{
    const long long magnitude = (std::llabs(numerator) * 2 + denominator) / (denominator * 2);
    return static_cast<int>(numerator < 0 ? -magnitude : magnitude);
}

// A value given in hundredths (or tenths), written with that many decimals: 125 -> "1.25".
std::string fixedPoint(int scaled, int decimals)
{
    int unit = 1;
    for (int i = 0; i < decimals; ++i)
        unit *= 10;
    const int magnitude = std::abs(scaled);
    std::string fraction = std::to_string(magnitude % unit);
    fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
    return (scaled < 0 ? "-" : "") + std::to_string(magnitude / unit) + "." + fraction;
}

} // namespace

int ColorValueToMpv(const ColorAxis &axis, int value)
{
    value = std::clamp(value, axis.min, axis.max);
    if (value < axis.neutral)
        return roundedDivision(static_cast<long long>(value - axis.neutral) * kMpvLimit,
                               axis.neutral - axis.min);
    if (value > axis.neutral)
        return roundedDivision(static_cast<long long>(value - axis.neutral) * kMpvLimit,
                               axis.max - axis.neutral);
    return 0;
}

int MpvToColorValue(const ColorAxis &axis, int mpvValue)
{
    mpvValue = std::clamp(mpvValue, -kMpvLimit, kMpvLimit);
    const int span = mpvValue < 0 ? axis.neutral - axis.min : axis.max - axis.neutral;
    return axis.neutral + roundedDivision(static_cast<long long>(mpvValue) * span, kMpvLimit);
}

MpvEqualizer MpvEqualizerFromRecord(const ColorRecord &record)
{
    MpvEqualizer equalizer;
    equalizer.brightness = ColorValueToMpv(kBrightnessAxis, record.brightness);
    equalizer.contrast = ColorValueToMpv(kContrastAxis, record.contrast);
    equalizer.hue = ColorValueToMpv(kHueAxis, record.hue);
    equalizer.saturation = ColorValueToMpv(kSaturationAxis, record.saturation);
    return equalizer;
}

ColorRecord RecordFromMpvEqualizer(const MpvEqualizer &current, const ColorRecord &lastWritten)
{
    const auto pick = [](const ColorAxis &axis, int mpvValue, int written) {
        return ColorValueToMpv(axis, written) == mpvValue ? written
                                                          : MpvToColorValue(axis, mpvValue);
    };
    ColorRecord record = lastWritten;
    record.flags = kMpvColorFlags;
    record.brightness = pick(kBrightnessAxis, current.brightness, lastWritten.brightness);
    record.contrast = pick(kContrastAxis, current.contrast, lastWritten.contrast);
    record.hue = pick(kHueAxis, current.hue, lastWritten.hue);
    record.saturation = pick(kSaturationAxis, current.saturation, lastWritten.saturation);
    return record;
}

std::string SoftwareColorFilter(const MpvEqualizer &equalizer)
{
    const auto limit = [](int v) {
        return std::clamp(v, -kMpvLimit, kMpvLimit);
    };
    const int brightness = limit(equalizer.brightness);
    const int contrast = limit(equalizer.contrast);
    const int hue = limit(equalizer.hue);
    const int saturation = limit(equalizer.saturation);

    std::string chain;
    if (brightness != 0 || contrast != 0 || saturation != 0) {
        chain += "eq=brightness=" + fixedPoint(brightness, 2) + ":contrast="
            + fixedPoint(100 + contrast, 2) + ":saturation=" + fixedPoint(100 + saturation, 2);
    }
    if (hue != 0) {
        if (!chain.empty())
            chain += ',';
        chain += "hue=h=" + fixedPoint(hue * 18, 1); // 1.8 degrees a step, in tenths
    }
    return chain.empty() ? std::string() : "lavfi=[" + chain + "]";
}

} // namespace duvara
