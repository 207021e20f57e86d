#pragma once

namespace duvara {

// Where the rows of the playlist go when one is dragged or removed. Rows are 0-based; -1 is
// "no row".

// The index that row `row` has after row `from` was dropped on row `to`: the dragged row lands
// just before the row it was dropped on, whichever way it moved.
int RowAfterDrop(int row, int from, int to);

// The playing row after the row `removed` went: `rowsLeft` rows remain, and `wasRunning` tells
// whether the removed row was playing, paused or in fast motion. When the current row itself is
// removed while running, the result is the row before the one that took its place, so that
// moving on as at the end of a file starts that row.
int PlayIndexAfterRemoval(int playIndex, int removed, int rowsLeft, bool wasRunning);

// Where files dropped on the list go in: before the row under the pointer, or after the last
// row when the pointer is below the rows (`rowUnderPointer` -1).
int InsertRowForDrop(int rowUnderPointer, int rowCount);

// The current row after `count` rows went in at `at` of a list that had `rowsBefore` rows: it
// moves down with its file when they went in before it. A current row that names no row (-1,
// or 0 in a list that was empty) stays as it is.
int PlayIndexAfterInsert(int playIndex, int at, int count, int rowsBefore);

} // namespace duvara
