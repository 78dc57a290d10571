#pragma once

// File: pocket/app/popup_menus.h
// The tap-and-hold menus of the e-mail view's list (menu resource 203):
// "POP1" on a mail ("보기", "삭제") and "POP2" on the list without a mail
// ("REFRESH", "메일 쓰기"). Each entry is a button of the view, so that the
// front end passes its command to Handheld::onButton.

#include "pocket/app/frame_layout.h"

#include <vector>

namespace pocket::app {

// "POP1" when the tap is on a mail, else "POP2".
Menu mailListMenu(bool onMail);

} // namespace pocket::app
