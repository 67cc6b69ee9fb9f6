// Display memory reserved through DirectDraw while the board is open, so that
// DirectDraw does not give away what the capture buffer uses: the older boards
// hold a DirectDraw object, the boards of chip 0x8A22 the overlay layer, in which
// their capture buffer is a surface.
#pragma once

namespace kt6 {

// A failure shows the reason and leaves nothing reserved; the open goes on.
void ReserveDisplayMemory();
void ReleaseDisplayMemory();
bool DisplayMemoryReserved();

}  // namespace kt6
