#include "apps/quillon-pocket/render_ink_command.h"

#include "gui/ink/ink_image.h"

#include <QString>

#include <ostream>
#include <string>

namespace apps::pocket {

int runRenderInk(std::span<const std::string_view> args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 2) {
        err << "usage: quillon-pocket --render-ink FILE.ink OUT.png\n";
        return 2;
    }
    const std::string inkFile(args[0]);
    const std::string pngFile(args[1]);

    auto image = gui::ink::renderInkFile(inkFile);
    if (!image) {
        err << "[Quillon] " << image.error() << '\n';
        return 1;
    }
    if (!image->save(QString::fromStdString(pngFile), "PNG")) {
        err << "cannot write " << pngFile << '\n';
        return 1;
    }
    out << "wrote " << pngFile << '\n';
    return 0;
}

} // namespace apps::pocket
