#pragma once

#include <QColor>
#include <cstdint>

namespace duvara {

// Colours are stored as 0x00BBGGRR: red in the lowest byte.
inline QColor colorFromRef(std::uint32_t ref)
{
    return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                  static_cast<int>((ref >> 16) & 0xFF));
}

inline std::uint32_t colorToRef(const QColor &color)
{
    return static_cast<std::uint32_t>(color.red())
        | (static_cast<std::uint32_t>(color.green()) << 8)
        | (static_cast<std::uint32_t>(color.blue()) << 16);
}

} // namespace duvara
