#include "presentation/subtitle_areas.h"

#include <algorithm>

namespace duvara {

namespace {
constexpr int kBorder = 10;
} // namespace

// Each area keeps its label inside a 10-pixel border, off the picture's edge by a spacer about a
// sixtieth of the width high. With the secondary track at the top each panel takes half the
// height. Stacked at the bottom, each track has a fixed quarter of the height: the secondary's
// panel reaches up to the top of the picture (the on-screen display lives in it) but its label
// only fills the quarter just above the primary's.
SubtitleAreas LayOutSubtitleAreas(QSize video, SubtitleArrangement arrangement)
{
    const int w = std::max(0, video.width());
    const int h = std::max(0, video.height());
    const int spacer = RoundHalfEven(w / 61.3);
    const int inner = std::max(0, w - 2 * kBorder);
    SubtitleAreas areas;
    if (arrangement == SubtitleArrangement::BothAtBottom) {
        const int slot = RoundHalfEven(h * 0.25);
        areas.primary.panel = QRect(0, h - slot, w, slot);
        areas.primary.spacer = QRect(kBorder, slot - kBorder - spacer, inner, spacer);
        areas.primary.label = QRect(kBorder, 0, inner, std::max(0, slot - kBorder - spacer));
        areas.primary.alignment = TTextLayout::tlBottom;
        const int above = h - slot;
        areas.secondary.panel = QRect(0, 0, w, above);
        // The spacer has nothing to keep off here: it lies empty above the label.
        areas.secondary.spacer = QRect(kBorder, std::max(0, above - slot), inner, 0);
        areas.secondary.label
            = QRect(kBorder, std::max(0, above - slot), inner, std::min(slot, above));
        areas.secondary.alignment = TTextLayout::tlBottom;
        return areas;
    }
    const int half = RoundHalfEven(h * 0.5);
    const int labelHeight = std::max(0, half - 2 * kBorder - spacer);
    areas.secondary.panel = QRect(0, 0, w, half);
    areas.secondary.spacer = QRect(kBorder, kBorder, inner, spacer);
    areas.secondary.label = QRect(kBorder, kBorder + spacer, inner, labelHeight);
    areas.secondary.alignment = TTextLayout::tlTop;
    areas.primary.panel = QRect(0, h - half, w, half);
    areas.primary.spacer = QRect(kBorder, half - kBorder - spacer, inner, spacer);
    areas.primary.label = QRect(kBorder, kBorder, inner, labelHeight);
    areas.primary.alignment = TTextLayout::tlBottom;
    return areas;
}

} // namespace duvara
