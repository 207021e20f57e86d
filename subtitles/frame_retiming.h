// A MicroDVD track counts frames, and its times depend on the frame rate it was read at. When
// that rate was wrong (the file names none, or the film's release differs) the times are
// worked out again from the frame numbers at another rate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace duvara {

struct SubtitleTrack;

// Rates in thousandths of a frame per second: 23.976, 24, 25, 29.97 and 30.
const std::vector<uint32_t> &CommonFrameRates();

// "23.976", "25", "29.97": the shortest form of a rate.
std::string FrameRateText(uint32_t rate);

// A rate in frames per second as the track keeps it; 0 when it is not a usable rate.
uint32_t FrameRateFromFps(double fps);

// Whether the track's times can be worked out again: it was read from frames at one rate, and a
// frame lasts long enough that the whole milliseconds it was stored in still tell the frame.
bool CanRetime(const SubtitleTrack &track);

// The track's times as its frames give them at `rate`; the entries keep their order and text.
// Only for a track that CanRetime, and a rate that is not 0.
void RetimeFrames(SubtitleTrack &track, uint32_t rate);

} // namespace duvara
