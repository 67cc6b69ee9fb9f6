#include "rg7sdk/board_records.h"

namespace rg7 {
namespace {
std::atomic<std::uint16_t> g_currentBoard{0};
std::atomic<std::uint16_t> g_currentCamera{0};
}  // namespace

RG7BoardRecord g_boardRecords[kMaxBoardRecords];

void ResetBoardRecord(RG7BoardRecord& b) {
  b.open.store(0);
  b.current_camera = 0;
  b.bt829_fitted = b.vpc_fitted = b.two_svideo_mode = b.reserved = b.mirror_mode = b.dib_mode = 0;
  for (RG7CameraRecord& c : b.cameras) c = RG7CameraRecord{};
  b.master = MasterModeBlock{};
  b.grab_state.store(0);
  b.grab_flags.store(0);
  b.field_select_running.store(0);
  b.dispatching.store(0);
  b.stop_waiting.store(0);
  b.latched.store(0);
  b.internal_list = b.user_list = nullptr;
  b.deferred_stop.store(nullptr);
  b.deferred_stop_context.store(0);
  ResetLineRecord(b.lines);
  b.vsync.store(0);
}

void ResetLineRecord(LineRecord& l) {
  l.trigger_callback.store(nullptr);
  l.event_callback.store(nullptr);
  l.strobe_callback.store(nullptr);
  for (auto* w : {&l.strobe_mode, &l.delay1, &l.delay2, &l.count1, &l.count2, &l.strobe_armed, &l.strobe_grab})
    w->store(0);
  l.strobe_context.store(0);
}

RG7BoardRecord& CurrentBoardRecord() {
  return g_boardRecords[g_currentBoard.load(std::memory_order_relaxed) % kMaxBoardRecords];
}

bool CurrentBoardOpen() {
  std::uint16_t b = g_currentBoard.load(std::memory_order_relaxed);
  return b < kMaxBoardRecords && g_boardRecords[b].open == 1;
}

std::uint16_t CurrentBoardIndex() { return g_currentBoard.load(std::memory_order_relaxed); }

void SetCurrentBoardIndex(std::uint16_t board) { g_currentBoard.store(board, std::memory_order_relaxed); }

std::uint16_t CurrentCameraIndex() { return g_currentCamera.load(std::memory_order_relaxed); }

void SetCurrentCameraIndex(std::uint16_t camera) { g_currentCamera.store(camera, std::memory_order_relaxed); }

RG7CameraRecord& CurrentCameraRecord() { return CurrentBoardRecord().cameras[CurrentCameraIndex() % 4]; }

}  // namespace rg7
