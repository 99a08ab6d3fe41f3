// Window layout: moving a window to a rectangle, saving a rectangle as a
// closed window's layout, and the rectangles of the Window menu's commands
// (Arrange Debugger, Cascade and Tile Editors). The rectangle arithmetic is
// plain functions so it can be checked without windows.
#pragma once

#include "shell/Settings.h"

#include <QList>
#include <QRect>
#include <QString>

class QWidget;

namespace zelk {

// Moves a window (an MDI child) to left, top, width, height in pixels.
void moveWindow(QWidget* w, const QRect& r);
// Writes r (pixels) as the placement of prefix, with state 0 (normal), so the
// window opens there next time.
void saveLayout(SettingsStore& store, const QString& prefix, const QRect& r);

// Arrange Debugger: the rectangles in pixels for a client area of w x h
// pixels, in the order they are applied (labels, watch, stack, CPU
// registers, disassembler); X = W - 5200 twips, at least 5200.
struct DebuggerSlot {
    const char* prefix;    // "Label", "Watch", "Stack", "RegCPU", "DisAsm"
    const char* menuItem;  // its View item
    QRect rect;
};
QList<DebuggerSlot> arrangeDebuggerSlots(int w, int h);

// Cascade: editor i of n at (i*dx, i*dy, 0.8 w, 0.8 h), dx = min(w / n, 24).
QList<QRect> cascadeRects(int n, int w, int h);
// Tile: editor i of n in a strip of h / n (horizontal) or w / n (vertical).
QList<QRect> tileRects(int n, int w, int h, bool horizontal);

} // namespace zelk
