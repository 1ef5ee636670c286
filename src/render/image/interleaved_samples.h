#pragma once

// Rows of interleaved 8-bit samples, as the picture libraries give them, split into the separate
// planes of CZNImage. The common layouts (three samples a pixel, four with every plane or with
// the fourth dropped) take vector paths where the processor has them.
#include "platform/os/win_types.h"

// Sample c of pixel i (of width pixels) goes to planes[c][i * step] (c < channels <= 4); a null
// plane drops its sample. The planes must not overlap the samples.
void ZnSplitSamples(const BYTE *samples, DWORD channels, DWORD width, BYTE *const *planes, DWORD step = 1);
