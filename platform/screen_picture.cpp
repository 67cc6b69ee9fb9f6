#include "platform/screen_picture.h"

#include <png.h>

#include <algorithm>

#include "platform/device_context.h"
#include "platform/user.h"

namespace platform {

Picture RenderScreen() {
  auto adapter = CurrentDisplayAdapter();
  if (!adapter) return {};
  // No window draws while the screen is composed.
  std::lock_guard lock(GdiMutex());
  return adapter->Compose();
}

Picture RenderWindow(HWND hwnd) {
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return {};
  Picture screen = RenderScreen();
  RECT cut = Intersect(r, Whole(screen));
  Picture picture;
  if (IsEmptyRect(cut)) return picture;
  picture.width = DWORD(Width(cut));
  picture.height = DWORD(Height(cut));
  picture.rgb.resize(std::size_t(picture.width) * picture.height * 3);
  for (DWORD y = 0; y < picture.height; ++y) {
    auto from = screen.rgb.begin() + (std::ptrdiff_t(cut.top + LONG(y)) * screen.width + cut.left) * 3;
    std::copy(from, from + std::ptrdiff_t(picture.width) * 3,
              picture.rgb.begin() + std::ptrdiff_t(y) * picture.width * 3);
  }
  return picture;
}

bool WritePng(const Picture& picture, const std::string& path) {
  if (picture.width == 0 || picture.height == 0) return false;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = picture.width;
  image.height = picture.height;
  image.format = PNG_FORMAT_RGB;
  bool ok = png_image_write_to_file(&image, path.c_str(), 0, picture.rgb.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

}  // namespace platform
