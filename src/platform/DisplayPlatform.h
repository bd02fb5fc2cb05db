#pragma once

// The engine draws into a native X11 window handed to it by id, so on a Wayland desktop
// the program runs through XWayland unless the user chose a platform plugin explicitly.
// Must run before the QApplication is created.
void ChooseDisplayPlatform();
