#pragma once

// What the processor offers beyond the instructions the build assumes, for the code that picks
// a faster path at run time. Each answer is asked of the processor once, and is false on
// processors without such instructions.

// Carry-less multiplication (PCLMULQDQ) with SSE4.1.
bool ZnHasCarrylessMultiply();
// The above, and carry-less multiplication in 512-bit registers (AVX-512F, VPCLMULQDQ).
bool ZnHasWideCarrylessMultiply();
// AVX2.
bool ZnHasAvx2();
