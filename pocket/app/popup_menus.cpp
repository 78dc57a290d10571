#include "pocket/app/popup_menus.h"

namespace pocket::app {

Menu mailListMenu(bool onMail)
{
    if (onMail)
        return { "POP1", { { kMailView, "보기", {} }, { kMailDelete, "삭제", {} } } };
    return { "POP2", { { kMailRefresh, "REFRESH", {} }, { kMailWrite, "메일 쓰기", {} } } };
}

} // namespace pocket::app
