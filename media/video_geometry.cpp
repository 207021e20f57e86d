#include "media/video_geometry.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace duvara {

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const std::int64_t product = std::int64_t(number) * numerator;
    const std::int64_t half = std::llabs(denominator) / 2;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t magnitude = (std::llabs(product) + half) / std::llabs(denominator);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

QRect FitRect(int sw, int sh, const QRect &destination)
{
    if (sw <= 0 || sh <= 0)
        return destination;
    const int dw = destination.width();
    const int dh = destination.height();
    int w;
    int h;
    if (double(dh) / sh > double(dw) / sw) {
        w = dw;
        h = MulDiv(sh, dw, sw);
    } else {
        h = dh;
        w = MulDiv(sw, dh, sh);
    }
    return QRect(destination.left() + (dw - w) / 2, destination.top() + (dh - h) / 2, w, h);
}

ZoomSource DigitalZoomSource(int W, int H, int z)
{
    ZoomSource source;
    const double ratio = W > 0 ? double(H) / W : 0.0;
    const double w = W - double(z * W) / 100.0;
    const double h = w * ratio;
    source.width = static_cast<int>(std::trunc(w));
    source.height = static_cast<int>(std::trunc(h));
    source.left = static_cast<int>(std::trunc((W - w) / 2));
    source.top = static_cast<int>(std::trunc((H - h) / 2));
    return source;
}

QString DigitalZoomRangeError(int z)
{
    return QStringLiteral("Value %1 out of range. Value must bee between 0 -> 99").arg(z);
}

double VideoZoomExponent(int z)
{
    return std::log2(1.0 / (1.0 - z / 100.0));
}

} // namespace duvara
