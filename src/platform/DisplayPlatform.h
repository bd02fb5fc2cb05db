#pragma once

// The engine draws into a native X11 window handed to it by id, so the program runs on X11:
// on a Wayland desktop through XWayland, whatever platform the desktop exports for Qt
// programs. Must run before the QApplication is created.
enum class DisplayPlatform
{
    X11,        // Qt will use xcb on the X display
    UsersOwn,   // QT_QPA_PLATFORM names another platform (offscreen, vnc): left as it is
    NoXDisplay, // no X display to run on: the video could not be shown
};

DisplayPlatform ChooseDisplayPlatform();
