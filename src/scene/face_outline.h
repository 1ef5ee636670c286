#pragma once

// The 2D outline rules that brushes and overlays share: a face's closed outline drawn through a
// 2D view's projection, and the 3-pixel test of a click against one projected edge. view is a
// CZN2DView; both are defined with the brush's 2D drawing and picking.
#include "platform/gdi/gdi_types.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/point.h"
#include "scene/face.h"

class CZN2DView;

// The pixel of p, first transformed by matrix when one is given.
POINT ZnProjectToView(const CZN2DView &view, D3DXVECTOR3 p, const D3DXMATRIX *matrix);
// The closed outline of a face in the context's current pen; nothing for a face without vertices.
void ZnDrawFaceOutline(const CZN2DView &view, CDC &dc, const ZNFACE &face, const D3DXMATRIX *matrix);
// True when the foot of the perpendicular from the click on the projected edge a-b lies on the
// edge and, cut to whole pixels, strictly within 3 pixels of the click on both axes.
bool ZnEdgeNearClick(const CZN2DView &view, const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, const CPoint &click);
