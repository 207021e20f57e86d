// The images of the menu items. They are painted from vector paths on a 16-unit grid, once for
// plain screens and once at twice the size, so they stay sharp on both without image files.
#pragma once

#include <QIcon>

namespace duvara {

// The numbers are the items' places in the window's image list; the menu table refers to them.
enum class MenuImage {
    None = -1,
    About = 0,
    ClearSubtitles = 1,
    FastBackward = 2,
    Exit = 4,
    Font = 5,
    Help = 6,
    OpenSubtitles = 7,
    ClearPlaylist = 9,
    AddToPlaylist = 10,
    RemoveFromPlaylist = 11,
    Open = 12,
    SaveSubtitles = 13,
    SoundOn = 14,
    Step = 15,
    Stop = 16,
    FastForward = 17,
    Previous = 18,
    Next = 19,
    Muted = 20,
    Pause = 22,
    Play = 23,
    GoTo = 25,
};

// Every image there is, for whoever needs to go through them all.
const QList<MenuImage> &AllMenuImages();

// The side of a menu image in device-independent pixels.
constexpr int kMenuImageSize = 16;

// The image at 1x and 2x; a null icon for MenuImage::None.
QIcon MenuIcon(MenuImage image);

} // namespace duvara
