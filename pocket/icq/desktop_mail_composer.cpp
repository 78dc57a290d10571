#include "pocket/icq/desktop_mail_composer.h"

#include "platform/process.h"

namespace pocket::icq {

void DesktopMailComposer::compose(std::string_view address)
{
    // Without a mail program nothing opens, as on a device without one.
    (void)platform::launchDetached({ "xdg-email", std::string(address) });
}

} // namespace pocket::icq
