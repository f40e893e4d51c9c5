// Xlib's types under Xlib's own names, for the layer's headers: Xlib's headers stay out of those,
// as their macros (None, Status) would clash with the core's names. Each matches Xlib's typedef.
#pragma once

struct _XDisplay;  // NOLINT(bugprone-reserved-identifier): Xlib's own name
struct _XGC;       // NOLINT(bugprone-reserved-identifier): Xlib's own name
struct _XImage;    // NOLINT(bugprone-reserved-identifier): Xlib's own name
union _XEvent;     // NOLINT(bugprone-reserved-identifier): Xlib's own name

using Display = _XDisplay;
using GC = _XGC*;
using XImage = _XImage;
using XEvent = _XEvent;
using XID = unsigned long;
using Window = XID;
using Pixmap = XID;
using Colormap = XID;
using Atom = unsigned long;
using Time = unsigned long;
