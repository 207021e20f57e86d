#pragma once

#include <cstdint>

namespace duvara {

// Which of a colour record's controls the picture honours.
namespace ColorFlag {
constexpr std::uint32_t Brightness = 0x01;
constexpr std::uint32_t Contrast = 0x02;
constexpr std::uint32_t Hue = 0x04;
constexpr std::uint32_t Saturation = 0x08;
constexpr std::uint32_t Sharpness = 0x10;
constexpr std::uint32_t Gamma = 0x20;
constexpr std::uint32_t ColorEnable = 0x40;
constexpr std::uint32_t All = 0x7F;
} // namespace ColorFlag

// The seven colour values exchanged with the picture in one piece. The defaults are the values
// assumed before any picture has reported its own.
struct ColorRecord
{
    std::uint32_t flags = ColorFlag::All;
    int brightness = 750;
    int contrast = 10000;
    int hue = 0;
    int saturation = 10000;
    int sharpness = 5;
    int gamma = 1;
    int colorEnable = 1; // 0 or 1

    friend bool operator==(const ColorRecord &a, const ColorRecord &b)
    {
        return a.flags == b.flags && a.brightness == b.brightness && a.contrast == b.contrast
            && a.hue == b.hue && a.saturation == b.saturation && a.sharpness == b.sharpness
            && a.gamma == b.gamma && a.colorEnable == b.colorEnable;
    }
    friend bool operator!=(const ColorRecord &a, const ColorRecord &b) { return !(a == b); }
};

// Where the colour values take effect: the picture of the video window's graph. The video window
// owns the implementation and hands it to its colour control; the control never owns it.
//
// None of the three may throw: a refusal is reported by the result, and the control decides what
// a refusal means.
class ColorOverlay
{
public:
    virtual ~ColorOverlay() = default;

    // True while a graph session runs and its picture can take colour values. While false the
    // control only stores what it is given.
    virtual bool isActive() const = 0;

    // Fills all seven values and the flags of the controls the picture honours. False when the
    // picture cannot report them; the record is then left as it was.
    virtual bool read(ColorRecord &record) = 0;

    // Applies all seven values at once. The control ignores the answer.
    virtual bool write(const ColorRecord &record) = 0;
};

} // namespace duvara
