// Snapshots: the driver names the BMP file by a global atom; the picture is read
// from the overlay surface the DMA fills.
#include <algorithm>

#include "mci_preview/preview_state.h"
#include "platform/clock.h"

namespace mci_preview {
namespace {

constexpr int kNameCapacity = 255;
// The frame in the surface is whole this long after the request.
constexpr DWORD kSettleMs = 250;

}  // namespace

void SaveSnapshotFromAtom(ATOM atom) {
  PreviewState& s = g_preview;
  char name[kNameCapacity + 1] = {};
  if (GlobalGetAtomNameA(atom, name, kNameCapacity) == 0) return;  // not ours to delete
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kSettleMs) Sleep(1);
  // The window's size, limited to the image the surface holds.
  const LONG width = std::min<LONG>(s.window.right - s.window.left, s.image_width);
  const LONG height = std::min<LONG>(s.window.bottom - s.window.top, s.image_height);
  if (width > 0 && height > 0 && s.overlay_memory)
    RG7Memory2BMPfile(name, 0, 0, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                      s.overlay_pitch / kBytesPerPixel, kYuv422Mode, s.overlay_memory);
  GlobalDeleteAtom(atom);
}

}  // namespace mci_preview
