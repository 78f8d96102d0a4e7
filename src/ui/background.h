// The background screen every menu is drawn over: the frame, the banner,
// the information box and the status box (or the monitor's settings box).
#pragma once

#include <cstdint>

#include "model/session.h"

namespace kdv::ui {

// Repaints the whole background: variant 0 the status variant (all menus, with
// the session's online state and receiver versions), any other value the
// settings variant (live monitor). Leaves the full-screen window, the main text colour
// on the background and the cursor hidden.
void draw_background(const kdv::model::Session& session, std::uint8_t variant);

}  // namespace kdv::ui
