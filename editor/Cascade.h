// Where a new editor window goes: cascaded from the last one opened, never where an open editor
// already stands, always whole within the room the screen gives.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

namespace vorida::editor {

// Each new window this much below and to the right of the last one.
constexpr int kCascadeStep = 28;

struct CascadeRoom
{
    QRect Screen; // the available area of the main window's screen
    QSize Frame; // the new window's size with the window manager's frame
    QPoint First; // where the first editor goes (whole on the screen)
    std::optional<QPoint> Last; // the frame's top-left of the last editor opened still open
    QList<QPoint> Taken; // the frames' top-lefts of every open editor
};

// The cascade on from Last while it stays whole on the screen, else diagonals from the screen's
// top-left corner, one step apart: the first place whole on the screen that no open editor
// holds (within half a step, as the window manager may nudge a window a few pixels). First
// when there is no Last, or the screen is full.
QPoint CascadePlace(const CascadeRoom& room);

} // namespace vorida::editor
