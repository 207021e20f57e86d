#pragma once

#include <QtGlobal>

#include <optional>

namespace duvara {

// The fast-motion ladder: 16, 8, 4, 2, 1, 0.5, 0.25, -0.25, -0.5, -1, -2, -4, -8, -16. The slow
// forward speeds (0.25, 0.5, 1, 2) are played by the graph's rate; every other speed is made by
// the movement timer, which pauses the graph and jumps through the file.

// One rung up (toward 16) and one rung down (toward -16); the ends stay where they are.
double FastForwardSpeed(double speed);
double FastBackwardSpeed(double speed);

// Whether the graph plays this speed at a changed rate rather than the movement timer.
bool SpeedUsesGraphRate(double speed);

// What one tick of the movement timer does at a speed: the base step it multiplies by the speed
// (100-ns units) and the interval until the following tick (ms).
struct MoveTiming
{
    qint64 step;
    int interval;
};
MoveTiming MoveTimingFor(double speed);

// Where one tick at this speed moves from position p (100-ns units).
qint64 MoveTarget(qint64 position, double speed);

// The position the next jump starts from. The picture lands on a frame near each target, so a
// jump shorter than a frame would make no headway if it counted from the frame shown: while the
// graph still stands within a quarter second of the last target, the jumps count from it.
qint64 MoveOrigin(qint64 reported, std::optional<qint64> lastTarget);

// Where a press on the position slider jumps to: the track runs from x = 7 to x = width - 8,
// and only presses 10 <= y <= 20 jump. Nothing when the press does not jump.
std::optional<int> SliderPressPosition(int x, int y, int width, int maximum);

} // namespace duvara
