#include "controls/playlist_moves.h"

namespace duvara {

int RowAfterDrop(int row, int from, int to)
{
    if (row < 0)
        return row;
    if (row == from)
        return to > from ? to - 1 : to;
    // A copy of the dragged row goes in at `to`, then the dragged row itself comes out.
    const int afterInsert = row >= to ? row + 1 : row;
    const int removedAt = from >= to ? from + 1 : from;
    return afterInsert > removedAt ? afterInsert - 1 : afterInsert;
}

int PlayIndexAfterRemoval(int playIndex, int removed, int rowsLeft, bool wasRunning)
{
    if (removed != playIndex)
        return removed < playIndex ? playIndex - 1 : playIndex;
    if (rowsLeft == 0 || playIndex >= rowsLeft)
        return -1;
    return wasRunning ? playIndex - 1 : playIndex;
}

int InsertRowForDrop(int rowUnderPointer, int rowCount)
{
    return rowUnderPointer < 0 || rowUnderPointer > rowCount ? rowCount : rowUnderPointer;
}

int PlayIndexAfterInsert(int playIndex, int at, int count, int rowsBefore)
{
    if (playIndex < 0 || playIndex >= rowsBefore || at > playIndex)
        return playIndex;
    return playIndex + count;
}

} // namespace duvara
