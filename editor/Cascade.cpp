#include "Cascade.h"

#include <algorithm>
#include <cstdlib>

namespace vorida::editor {

namespace {

bool free(const CascadeRoom& room, QPoint place)
{
    if (!room.Screen.contains(QRect(place, room.Frame)))
        return false;
    return std::none_of(room.Taken.begin(), room.Taken.end(), [place](QPoint taken) {
        return std::abs(taken.x() - place.x()) < kCascadeStep / 2
            && std::abs(taken.y() - place.y()) < kCascadeStep / 2;
    });
}

} // namespace

QPoint CascadePlace(const CascadeRoom& room)
{
    if (!room.Last)
        return room.First;
    const QPoint step(kCascadeStep, kCascadeStep);
    for (QPoint place = *room.Last + step; room.Screen.contains(QRect(place, room.Frame));
         place += step)
        if (free(room, place))
            return place;
    // Wrapped: diagonals from the top-left corner, the first one down its left edge, then each
    // starting one step further right along the top.
    const QPoint corner = room.Screen.topLeft();
    for (int column = 0;
         room.Screen.contains(QRect(corner + QPoint(column * kCascadeStep, 0), room.Frame));
         ++column)
        for (QPoint place = corner + QPoint(column * kCascadeStep, 0);
             room.Screen.contains(QRect(place, room.Frame)); place += step)
            if (free(room, place))
                return place;
    return room.First;
}

} // namespace vorida::editor
