#pragma once

#include <QImage>

class QWidget;
struct mpv_handle;

namespace duvara {

// Where the media core draws the picture: a widget that owns the core's render context.
// Only the media adapter sees this interface.
class VideoOutput
{
public:
    virtual ~VideoOutput() = default;

    virtual QWidget *widget() = 0;
    // Creates the render context on the core; false when this output cannot draw here.
    virtual bool attachCore(mpv_handle *core) = 0;
    // Frees the render context; must run before the core is destroyed.
    virtual void detachCore() = 0;
    virtual bool hasRenderContext() const = 0;
    // Stopped media shows no picture: the output paints black instead of the last frame.
    virtual void setPictureShown(bool shown) = 0;
    virtual bool isSoftware() const = 0;
};

} // namespace duvara
