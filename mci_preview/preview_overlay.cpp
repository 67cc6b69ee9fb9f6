// The picture on the screen: the board's DMA into the overlay surface, and the
// overlay placed where the window rectangle says.
#include "mci_preview/preview_state.h"

namespace mci_preview {

void StartPreview() {
  PreviewState& s = g_preview;
  RG7SetPixelMode(kYuv422Mode);
  RG7SetGrabWindow(0, 0, static_cast<std::uint32_t>(kImageWidth), static_cast<std::uint32_t>(kImageHeight), &s.grab);
  RG7SetScaleFactor(HorizontalScaleFactor(s.received.horz_decimation_mask),
                    VerticalScaleFactor(s.received.vert_decimation_mask));
  // Lines lie a surface pitch apart, as the display reads them.
  if (s.overlay_memory) {
    std::uint32_t pitchPixels = s.overlay_pitch / kBytesPerPixel;
    RG7SetMasterModeTransfer(&s.grab, s.overlay_memory, s.overlay_pitch * static_cast<std::uint32_t>(kImageHeight),
                             pitchPixels);
  }
  s.source = RECT{0, 0, s.image_width - 1, s.image_height - 1};
  UpdateOverlayRect();
}

void UpdateOverlayRect() {
  PreviewState& s = g_preview;
  s.overlay_source = s.source;
  RECT& dest = s.overlay_dest;
  RECT& source = s.overlay_source;
  // Both edges are 16-bit screen coordinates, negative above and left of the screen.
  dest.left = static_cast<std::int16_t>(s.window.left);
  dest.top = static_cast<std::int16_t>(s.window.top);
  dest.right = dest.left + s.image_width - 1;
  dest.bottom = dest.top + s.image_height - 1;
  const auto screenWidth = static_cast<LONG>(s.screen_width), screenHeight = static_cast<LONG>(s.screen_height);
  if (dest.bottom > screenHeight) {
    source.bottom -= dest.bottom - screenHeight;
    dest.bottom = screenHeight;
  }
  if (dest.right > screenWidth) {
    source.right -= dest.right - screenWidth;
    dest.right = screenWidth;
  }
  if (dest.left < 0) {
    source.left += -dest.left;
    dest.left = 0;
  }
  if (dest.top < 0) {
    source.top += -dest.top;
    dest.top = 0;
  }
  // An empty window keeps the factors it had.
  const LONG width = s.window.right - s.window.left, height = s.window.bottom - s.window.top;
  if (width > 0 && height > 0)
    RG7SetScaleFactor(static_cast<float>(s.image_width) / static_cast<float>(width),
                      static_cast<float>(s.image_height) / static_cast<float>(height));
  if (s.board_open) ZPDDraw_MapSurfaceRect(s.overlay, &dest, &source, 0);
}

}  // namespace mci_preview
