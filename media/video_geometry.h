#pragma once

#include <QRect>
#include <QString>

namespace duvara {

// Multiplies in 64 bits and divides, rounding to the nearest integer (halves away from zero).
int MulDiv(int number, int numerator, int denominator);

// Fits a source of sw × sh into the destination keeping the source's shape, centred.
QRect FitRect(int sw, int sh, const QRect &destination);

// The part of a W × H picture that a digital zoom of z percent shows: the centred rectangle
// whose sides are (1 − z/100) of the picture's.
struct ZoomSource
{
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
};
ZoomSource DigitalZoomSource(int W, int H, int z);

// The error text for a zoom outside 0..99.
QString DigitalZoomRangeError(int z);

// The media core's centred zoom exponent that shows the same part of the picture.
double VideoZoomExponent(int z);

} // namespace duvara
