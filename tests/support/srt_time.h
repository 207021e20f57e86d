// A SubRip time as the writer lays it out: hh:mm:ss,mmm (hours widen past 99).
#pragma once

#include <QByteArray>

#include <cstdint>

namespace duvara::test {

inline QByteArray SrtTimeText(int64_t ms)
{
    const auto field = [](int64_t value, int width) {
        return QByteArray::number(value).rightJustified(width, '0');
    };
    return field(ms / 3600000, 2) + ":" + field(ms / 60000 % 60, 2) + ":" + field(ms / 1000 % 60, 2)
        + "," + field(ms % 1000, 3);
}

} // namespace duvara::test
