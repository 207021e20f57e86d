#pragma once

#include "media/color_overlay.h"

#include <QByteArray>

#include <stdexcept>
#include <vector>

namespace duvara {

// A picture that holds the last values written to it, the way an overlay does, and can be made
// inactive, refuse to report, or fail a write.
class FakeColorOverlay : public ColorOverlay
{
public:
    bool active = true;
    bool refuseReads = false;
    bool throwOnWrite = false;
    std::uint32_t supported = ColorFlag::All; // reported as the record's flags
    ColorRecord held; // what the picture uses now
    std::vector<ColorRecord> writes;
    int reads = 0;

    bool isActive() const override { return active; }

    bool read(ColorRecord &record) override
    {
        ++reads;
        if (refuseReads)
            return false;
        record = held;
        record.flags = supported;
        return true;
    }

    bool write(const ColorRecord &record) override
    {
        if (throwOnWrite)
            throw std::runtime_error("Overlay lost");
        writes.push_back(record);
        held = record;
        return true;
    }
};

inline ColorRecord makeRecord(int brightness, int contrast, int hue, int saturation, int sharpness,
                              int gamma, int colorEnable, std::uint32_t flags = ColorFlag::All)
{
    ColorRecord record;
    record.flags = flags;
    record.brightness = brightness;
    record.contrast = contrast;
    record.hue = hue;
    record.saturation = saturation;
    record.sharpness = sharpness;
    record.gamma = gamma;
    record.colorEnable = colorEnable;
    return record;
}

// Lets QCOMPARE show both records when they differ.
inline char *toString(const ColorRecord &r)
{
    return qstrdup((QByteArray("{flags 0x") + QByteArray::number(r.flags, 16) + ", "
                    + QByteArray::number(r.brightness) + ", " + QByteArray::number(r.contrast)
                    + ", " + QByteArray::number(r.hue) + ", " + QByteArray::number(r.saturation)
                    + ", " + QByteArray::number(r.sharpness) + ", " + QByteArray::number(r.gamma)
                    + ", " + QByteArray::number(r.colorEnable) + "}")
                       .constData());
}

} // namespace duvara
