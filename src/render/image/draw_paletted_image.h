#pragma once

// DrawPalettedImage: draws a picture as 8-bit rows with its 256 colours on a drawing context, the
// way the thumbnail lists show scene and prefab thumbnails. The picture is packed into bottom-up
// rows (a 24-bit picture is reduced to 256 colours first) and copied to (x, y) at width x height,
// stretched from the whole picture; a width or height of 0 means the picture's own. Highlighted,
// each channel of every colour moves toward the system's highlight colour by
// floor((highlight - value) * 127 / 256), as a selected row shows.
// Fails (0), drawing nothing, without a context or a picture or when the picture cannot be packed.
#include "platform/export.h"
#include "platform/os/win_types.h"

class CZNDC;
class CZNImage;

ZN_API BOOL DrawPalettedImage(CZNDC *dc, CZNImage *image, int x, int y, int width, int height, bool highlighted);
