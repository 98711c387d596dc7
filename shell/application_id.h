// SPDX-License-Identifier: MIT
#pragma once

namespace jabbery {

// The application's ID on the desktop: the name of its desktop entry,
// AppStream metadata and icon.
inline constexpr const char* kApplicationId = "org.jabbery.Jabbery";

// Makes the windows carry the application ID (X11's WM_CLASS, Wayland's
// app id), so the desktop links a running window to its menu entry and
// icon. Called once the toolkit is up, before the first window is made.
void UseApplicationId();

}  // namespace jabbery
