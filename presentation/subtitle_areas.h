// Where the two subtitle areas lie over the picture, for either arrangement of the tracks.
#pragma once

#include "presentation/subtitle_layout.h"

#include <QRect>
#include <QSize>

namespace duvara {

// The values are those the settings file keeps.
enum class SubtitleArrangement {
    SecondaryAtTop = 0, // primary at the bottom, secondary at the top of the picture
    BothAtBottom = 1, // secondary just above primary, both at the bottom
};

// One track's area: its panel in video-window coordinates, the label and the spacer that keeps
// the label off the picture's edge in panel coordinates, and where the text sits in the label.
struct SubtitleArea
{
    QRect panel;
    QRect label;
    QRect spacer;
    TTextLayout alignment = TTextLayout::tlBottom;
};

struct SubtitleAreas
{
    SubtitleArea primary;
    SubtitleArea secondary;
};

// The areas for a picture of `video` pixels. They depend on nothing but the size and the
// arrangement, never on the text shown, so a track's line stays put when the other has a gap.
SubtitleAreas LayOutSubtitleAreas(QSize video, SubtitleArrangement arrangement);

} // namespace duvara
