// The rotate tool of the selection band. It arrives with the scale and rotate tools; until then
// a rotate drag changes nothing.
#include "editor/selection_band.h"

void CZNSelectionBand::Rotate(float, float, float) {}
