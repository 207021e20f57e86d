#pragma once

#include <QImage>

class QWidget;

namespace duvara {

class RenderContextFactory;

// Where the media core draws the picture: a widget that owns the core's render context.
// Only the media adapter sees this interface.
class VideoOutput
{
public:
    virtual ~VideoOutput() = default;

    virtual QWidget *widget() = 0;
    // Makes the render context with the graph's factory; false when this output cannot draw here.
    virtual bool attachRenderer(const RenderContextFactory &renderers) = 0;
    // Frees the render context; must run before the core is destroyed.
    virtual void detachRenderer() = 0;
    virtual bool hasRenderContext() const = 0;
    // Stopped media shows no picture: the output paints black instead of the last frame.
    virtual void setPictureShown(bool shown) = 0;
    virtual bool isSoftware() const = 0;
};

} // namespace duvara
