#include "media/color_control.h"

#include "media/media_error.h"

#include <string>

namespace duvara {

namespace {

struct Range
{
    int min;
    int max;
    const char *message; // "%d" stands for the refused value
};

// The messages are the program's own texts, spelling included: users and their bug reports know
// them in this form.
constexpr Range kBrightnessRange {0, 10000,
                                  "Value %d out of range. Value must bee between 0 -> 10.000"};
constexpr Range kContrastRange {0, 20000,
                                "Value %d out of range. Value must bee between 0 -> 20.000"};
constexpr Range kHueRange {-180, 180, "Value %d out of range. Value must bee between -180 -> 180"};
constexpr Range kSaturationRange {0, 20000,
                                  "Value %d out of range. Value must bee between 0 -> 20.000"};
constexpr Range kSharpnessRange {0, 10, "Value %d out of range. Value must bee between 0 -> 10"};
constexpr Range kGammaRange {1, 500, "Value %d out of range. Value must bee between 1 -> 500"};

// The value when it lies within the range; otherwise the range's error.
int checkRange(int value, const Range &range)
{
    if (value >= range.min && value <= range.max)
        return value;
    std::string text(range.message);
    text.replace(text.find("%d"), 2, std::to_string(value));
    throw EDirectShowException(text);
}

} // namespace

void TColorControl::readBack()
{
    if (!overlayActive())
        return;
    ColorRecord reported;
    if (m_overlay->read(reported)) {
        m_values.brightness = reported.brightness;
        m_values.contrast = reported.contrast;
        m_values.hue = reported.hue;
        m_values.saturation = reported.saturation;
        m_values.sharpness = reported.sharpness;
        m_values.gamma = reported.gamma;
        m_values.colorEnable = reported.colorEnable != 0 ? 1 : 0;
    } else {
        // A picture that cannot report its values is taken to show the standard ones.
        m_values = ColorRecord();
    }
}

int TColorControl::Brightness()
{
    readBack();
    return m_values.brightness;
}

int TColorControl::Contrast()
{
    readBack();
    return m_values.contrast;
}

int TColorControl::Hue()
{
    readBack();
    return m_values.hue;
}

int TColorControl::Saturation()
{
    readBack();
    return m_values.saturation;
}

int TColorControl::Sharpness()
{
    readBack();
    return m_values.sharpness;
}

int TColorControl::Gamma()
{
    readBack();
    return m_values.gamma;
}

bool TColorControl::ColorEnable()
{
    readBack();
    return m_values.colorEnable != 0;
}

ColorRecord TColorControl::Values()
{
    readBack();
    ColorRecord values = m_values;
    values.flags = ColorFlag::All;
    return values;
}

void TColorControl::SetBrightness(int value)
{
    m_values.brightness = checkRange(value, kBrightnessRange);
    ApplyToOverlay();
}

void TColorControl::SetContrast(int value)
{
    m_values.contrast = checkRange(value, kContrastRange);
    ApplyToOverlay();
}

void TColorControl::SetHue(int value)
{
    m_values.hue = checkRange(value, kHueRange);
    ApplyToOverlay();
}

void TColorControl::SetSaturation(int value)
{
    m_values.saturation = checkRange(value, kSaturationRange);
    ApplyToOverlay();
}

void TColorControl::SetSharpness(int value)
{
    m_values.sharpness = checkRange(value, kSharpnessRange);
    ApplyToOverlay();
}

void TColorControl::SetGamma(int value)
{
    m_values.gamma = checkRange(value, kGammaRange);
    ApplyToOverlay();
}

void TColorControl::SetColorEnable(bool value)
{
    m_values.colorEnable = value ? 1 : 0;
    ApplyToOverlay();
}

void TColorControl::SetValues(const ColorRecord &values)
{
    checkRange(values.brightness, kBrightnessRange);
    checkRange(values.contrast, kContrastRange);
    checkRange(values.hue, kHueRange);
    checkRange(values.saturation, kSaturationRange);
    checkRange(values.sharpness, kSharpnessRange);
    checkRange(values.gamma, kGammaRange);
    m_values = values;
    m_values.colorEnable = values.colorEnable != 0 ? 1 : 0;
    ApplyToOverlay();
}

void TColorControl::CaptureDefaults()
{
    if (!overlayActive())
        return;
    ColorRecord reported;
    if (m_overlay->read(reported))
        m_captured = reported;
}

void TColorControl::ApplyToOverlay()
{
    if (!overlayActive())
        return;
    ColorRecord record = m_values;
    record.flags = ColorFlag::All;
    m_overlay->write(record);
}

void TColorControl::RestoreDefaults()
{
    m_values.brightness = m_captured.brightness;
    m_values.contrast = m_captured.contrast;
    m_values.hue = m_captured.hue;
    m_values.saturation = m_captured.saturation;
    m_values.sharpness = m_captured.sharpness;
    m_values.gamma = m_captured.gamma;
    m_values.colorEnable = m_captured.colorEnable != 0 ? 1 : 0;
    ApplyToOverlay();
}

} // namespace duvara
