// Grab control and the strobe shot: with the strobe armed, a stop switches the
// strobe output at the next field for `width` DMA completions, switches it back,
// and stops the grab `delay` completions later, on the library's interrupt thread.
#include <mutex>
#include <thread>

#include "mci_preview/preview_state.h"

namespace mci_preview {
namespace {

constexpr std::int32_t kContinuousGrab = 1;
constexpr std::int32_t kOddField = 1;

}  // namespace

void StartGrab() {
  PreviewState& s = g_preview;
  if (s.grabbing) return;
  s.grabbing = true;
  // A shot that has not stopped the grab yet is called off: the grab goes on.
  StrobeShot shot;
  for (;;) {
    {
      std::lock_guard lock(s.shot_mutex);
      shot = s.shot.load();
      if (shot != StrobeShot::kStopping) {
        s.shot.store(StrobeShot::kIdle);
        if (shot == StrobeShot::kCounting) RG7SetStrobe(kStrobeIdle);
        break;
      }
    }
    std::this_thread::yield();  // the interrupt thread is stopping the grab
  }
  if (shot == StrobeShot::kIdle) RG7StartGrab(kContinuousGrab, kOddField);
}

void StopGrab() {
  PreviewState& s = g_preview;
  if (!s.grabbing) return;
  s.grabbing = false;
  if (s.strobe_armed.load())
    s.shot.store(StrobeShot::kStopPending);
  else
    RG7StopGrab(nullptr, 0);
}

void ArmStrobe(std::int32_t delayCount, std::int32_t widthCount) {
  PreviewState& s = g_preview;
  s.delay_count.store(delayCount);
  s.width_count.store(widthCount);
  s.strobe_armed.store(true);
}

void DisarmStrobe() { g_preview.strobe_armed.store(false); }

std::uint32_t PreviewInterruptCallback(std::uint32_t status, std::uintptr_t) {
  PreviewState& s = g_preview;
  if (status & kFieldStartBits && s.shot.load() == StrobeShot::kStopPending) {
    std::lock_guard lock(s.shot_mutex);
    if (s.shot.load() == StrobeShot::kStopPending) {
      s.shot.store(StrobeShot::kCounting);
      RG7SetStrobe(kStrobeActive);
      s.delay_counter.store(s.delay_count.load());
      s.width_counter.store(s.width_count.load());
    }
  }
  if (!(status & kDmaDoneBits) || s.shot.load() != StrobeShot::kCounting) return 0;
  std::int32_t width = s.width_counter.load();
  if (width > 0) {
    s.width_counter.store(width - 1);
    return 0;
  }
  if (width == 0) {
    std::lock_guard lock(s.shot_mutex);
    if (s.shot.load() != StrobeShot::kCounting) return 0;  // called off meanwhile
    RG7SetStrobe(kStrobeIdle);
    s.width_counter.store(-1);
  }
  std::int32_t delay = s.delay_counter.load();
  if (delay != 0) {
    s.delay_counter.store(delay - 1);
    return 0;
  }
  {
    std::lock_guard lock(s.shot_mutex);
    if (s.shot.load() != StrobeShot::kCounting) return 0;
    s.shot.store(StrobeShot::kStopping);
  }
  RG7StopGrab(nullptr, 0);
  s.shot.store(StrobeShot::kIdle);
  return 0;
}

}  // namespace mci_preview
