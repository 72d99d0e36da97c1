// The window a test host gives the editor: a plain top-level X11 window, mapped before it returns.
#pragma once

#include <X11/Xlib.h>

inline Window createMappedHostWindow(Display* d, unsigned width = 524, unsigned height = 462) {
    Window host = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, width, height, 0, 0, 0);
    XSelectInput(d, host, StructureNotifyMask);
    XMapWindow(d, host);
    for (XEvent e;;) {
        XNextEvent(d, &e);
        if (e.type == MapNotify) break;
    }
    return host;
}
