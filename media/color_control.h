#pragma once

#include "media/color_overlay.h"

namespace duvara {

// The picture's colour settings of one video window.
//
// While the overlay is active every setter writes all seven values to it, and every getter first
// reads all seven back from it, so the control shows what the picture really uses. Without an
// active overlay the control just stores the values.
//
// The setters raise EDirectShowException for a value out of range and then change nothing.
class TColorControl
{
public:
    explicit TColorControl(ColorOverlay *overlay = nullptr)
        : m_overlay(overlay)
    { }
    TColorControl(const TColorControl &) = delete;
    TColorControl &operator=(const TColorControl &) = delete;

    // The video window plugs its overlay in (or out, with nullptr). Not owned.
    void SetOverlay(ColorOverlay *overlay) { m_overlay = overlay; }
    ColorOverlay *Overlay() const { return m_overlay; }

    int Brightness();
    int Contrast();
    int Hue();
    int Saturation();
    int Sharpness();
    int Gamma();
    bool ColorEnable();

    void SetBrightness(int value); // 0..10000
    void SetContrast(int value); // 0..20000
    void SetHue(int value); // -180..180
    void SetSaturation(int value); // 0..20000
    void SetSharpness(int value); // 0..10
    void SetGamma(int value); // 1..500
    void SetColorEnable(bool value);

    // All seven values in one read (one read-back from the overlay while it is active).
    ColorRecord Values();
    // Validates all seven values before storing any, then writes them with a single overlay write.
    // The first value out of range raises its setter's error and nothing changes.
    void SetValues(const ColorRecord &values);

    // The overlay's own values and the flags of the controls it honours, as last captured.
    const ColorRecord &CapturedDefaults() const { return m_captured; }

    // Replaces CapturedDefaults with the overlay's values; a refusal keeps the previous ones.
    void CaptureDefaults();
    // Writes the seven stored values to the overlay while it is active.
    void ApplyToOverlay();
    // Returns the stored values to CapturedDefaults and writes them while the overlay is active.
    void RestoreDefaults();

private:
    bool overlayActive() const { return m_overlay && m_overlay->isActive(); }
    void readBack();

    ColorOverlay *m_overlay = nullptr;
    ColorRecord m_values; // flags unused: the stored properties
    ColorRecord m_captured; // before the first capture: every control assumed present
};

// What the video window's picture can do, as captured from its overlay. Before the first capture
// every control is assumed present.
class TDSVideoWindowEx2Caps
{
public:
    explicit TDSVideoWindowEx2Caps(const TColorControl &control)
        : m_control(control)
    { }

    bool CanControlBrigtness() const { return has(ColorFlag::Brightness); }
    bool CanControlContrast() const { return has(ColorFlag::Contrast); }
    bool CanControlHue() const { return has(ColorFlag::Hue); }
    bool CanControlSaturation() const { return has(ColorFlag::Saturation); }
    bool CanControlSharpness() const { return has(ColorFlag::Sharpness); }
    bool CanControlGamma() const { return has(ColorFlag::Gamma); }
    bool CanControlColorEnabled() const { return has(ColorFlag::ColorEnable); }

    // True while the video window holds a picture stage that the colour values reach.
    bool CanOverlayGraphic() const { return m_overlayGraphic; }
    void SetCanOverlayGraphic(bool value) { m_overlayGraphic = value; }

private:
    bool has(std::uint32_t flag) const { return (m_control.CapturedDefaults().flags & flag) != 0; }

    const TColorControl &m_control;
    bool m_overlayGraphic = false;
};

} // namespace duvara
