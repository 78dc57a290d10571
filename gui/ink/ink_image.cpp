#include "gui/ink/ink_image.h"

#include "gui/ink/painter_ink_canvas.h"
#include "pocket/ink/ink_drawing.h"
#include "pocket/ink/ink_file.h"

#include <QPainter>

namespace gui::ink {

platform::Result<QImage, std::string> renderInkFile(const std::filesystem::path& inkFile)
{
    auto message = pocket::ink::readInkFile(inkFile);
    if (!message)
        return platform::unexpected(std::string(pocket::ink::readErrorText(message.error())));

    QImage image(kInkImageSize, kInkImageSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        PainterInkCanvas canvas(painter);
        canvas.clear();
        auto drawn = pocket::ink::drawInk(*message, canvas);
        if (!drawn)
            return platform::unexpected(std::string(pocket::ink::drawErrorText(drawn.error())));
    }
    return image;
}

} // namespace gui::ink
