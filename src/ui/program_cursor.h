#pragma once

// The program's own cursors: the picture Resources/cursor<id>.png of the program folder with its
// hot spot; the arrow when the picture is missing.
#include <QCursor>

QCursor ProgramCursor(int id, int hotX, int hotY);

// The options pages' cursors: over a page, and while a page or the slider's thumb is dragged.
constexpr int kPageCursor = 174;
constexpr int kPageDragCursor = 175;
QCursor PageCursor(int id);
