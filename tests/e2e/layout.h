// The splash dialog's template laid out by the platform in this process, as
// the reference for what the launcher's dialog must look like.
#ifndef AUTORUN_TESTS_LAYOUT_H
#define AUTORUN_TESTS_LAYOUT_H

#include <windows.h>

struct TemplateLayout {
    SIZE window;      // the dialog's outer size
    RECT button;      // control 42, in the dialog's client coordinates
    RECT cancel;      // control 43
    RECT notice;      // the publisher's notice, id 65535
    RECT frame;       // control 45, the picture frame before any layout
};

// Created once from the launcher's own resources, hidden, then destroyed.
const TemplateLayout& Reference();

#endif
