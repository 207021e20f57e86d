#include "controls/speed_ladder.h"

#include <cmath>

namespace duvara {

namespace {

// Hundredths of the speed, cut toward zero: the ladder's rungs compare exactly this way.
int hundredths(double speed)
{
    return static_cast<int>(std::trunc(speed * 100.0));
}

// Halves to even, as the rest of the player's arithmetic rounds.
qint64 roundHalfEven(double value)
{
    return static_cast<qint64>(std::nearbyint(value));
}

} // namespace

double FastForwardSpeed(double speed)
{
    const int a = hundredths(speed);
    if (a >= -1600 && a <= -50)
        return speed / 2;
    if (a == -25)
        return 0.25;
    if (a >= 25 && a <= 800)
        return speed * 2;
    return speed;
}

double FastBackwardSpeed(double speed)
{
    const int a = hundredths(speed);
    if (a >= -800 && a <= -25)
        return speed * 2;
    if (a == 25)
        return -0.25;
    if (a >= 50 && a <= 1600)
        return speed / 2;
    return speed;
}

bool SpeedUsesGraphRate(double speed)
{
    const int a = hundredths(speed);
    return a == 25 || a == 50 || a == 100 || a == 200;
}

MoveTiming MoveTimingFor(double speed)
{
    const int n = std::abs(static_cast<int>(std::trunc(speed)));
    if (n < 3)
        return {2500000, 250};
    if (n == 4)
        return {5000000, 500};
    return {10000000, 1000};
}

qint64 MoveTarget(qint64 position, double speed)
{
    return position + roundHalfEven(static_cast<double>(MoveTimingFor(speed).step) * speed);
}

qint64 MoveOrigin(qint64 reported, std::optional<qint64> lastTarget)
{
    constexpr qint64 kNear = 2500000;
    if (lastTarget && reported > *lastTarget - kNear && reported < *lastTarget + kNear)
        return *lastTarget;
    return reported;
}

std::optional<int> SliderPressPosition(int x, int y, int width, int maximum)
{
    if (y < 10 || y > 20)
        return std::nullopt;
    if (x > 7 && x < width - 8) {
        const double perUnit = static_cast<double>(width - 15) / maximum;
        if (!(perUnit > 0))
            return std::nullopt;
        return static_cast<int>(roundHalfEven((x - 7) / perUnit));
    }
    if (x == 6 || x == 7)
        return 0;
    if (x == width - 8 || x == width - 7)
        return maximum;
    return std::nullopt;
}

} // namespace duvara
