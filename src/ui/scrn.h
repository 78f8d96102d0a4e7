// The background screen every menu is drawn over: the frame, the banner,
// the information box and the status box (or the monitor's settings box).
#pragma once

#include <cstdint>

namespace scrn {

// Repaints the whole background: NUM 0 the status variant (all menus), any
// other value the settings variant (live monitor). Leaves the full-screen
// window, MAINTEXT on BACK and the cursor hidden.
void BACKGND(std::uint8_t NUM);

}  // namespace scrn
