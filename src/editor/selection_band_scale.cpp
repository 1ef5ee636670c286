// The scale tool of the selection band. It arrives with the scale and rotate tools; until then
// a scale drag changes nothing.
#include "editor/selection_band.h"

void CZNSelectionBand::Scale(CZN2DView *, float, float, float, int, int, int, int) {}
