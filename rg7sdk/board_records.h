// Per-board and per-camera state of the 700-series library.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "rg7sdk/interrupt_types.h"

namespace rg7 {

struct InterruptCallbackNode;

struct RG7CameraRecord {
  std::uint32_t configured;
  std::uint32_t crop_origin_x;
  std::uint32_t crop_origin_y;
  std::uint32_t full_width;
  std::uint32_t full_height;
  std::uint32_t grab_x;
  std::uint32_t grab_y;
  std::uint32_t grab_width;
  std::uint32_t grab_height;
  std::uint32_t pixel_code;
  std::uint32_t frame_flag;      // interlaced frame: two fields per image
  std::uint16_t video_standard;  // 0 NTSC, 1 PAL
  std::uint16_t spare0;
  std::uint16_t video_channel;
  std::uint16_t spare1;
  std::uint32_t hue;
  std::uint32_t saturation;
  std::uint32_t contrast;
  std::uint32_t brightness;
  std::uint32_t agc;
  float horizontal_scale;
  float vertical_scale;
  std::uint32_t window_id;  // board << 20 | camera << 16 | count
  std::uint32_t vpe_sync;
  // Decoder shadows, loaded per standard from the back-ends' default tables.
  std::uint8_t vpc_direct_shadow[28];  // its last word holds register 34
  std::uint8_t vpc_fp_shadow[78];
  std::uint8_t bt829_shadow[33];
  std::uint8_t pad[1];
};
static_assert(sizeof(RG7CameraRecord) == 228);

// What the master-mode transfer keeps per field buffer.
struct FieldTransfer {
  std::uint32_t bounce;  // the DMA fills the bounce buffer; lines are copied on completion
  std::uint32_t stride;  // target stride in bytes
  std::uint8_t* target;
  std::uint32_t target_size;
  std::uint32_t line_length;  // bytes
  std::uint32_t line_count;
  std::uint32_t scatter;        // the target came back as more than one physical piece
  std::uint32_t bounce_stride;  // bytes between the lines the DMA leaves in the bounce buffer
};

// Caller memory that a field's transfer writes, through the DMA or the bounce copy.
struct TransferTarget {
  std::uint8_t* address;
  std::uint32_t size;
};

struct MasterModeBlock {
  std::uint32_t page_block_size;  // 12288
  void* page_block;
  std::uint32_t page_size[2];  // 4096
  std::uint32_t* page[2];      // the hardware DMA page tables, 4 KB aligned
  std::uint32_t page_physical[2];
  std::uint8_t* bounce[2];
  std::uint32_t bounce_size[2];    // 0xD8000
  std::uint32_t* bounce_table[2];  // 1024 physical page addresses each
  FieldTransfer field[2];
  // Per field buffer, the target programmed since this open; empty until then and
  // again once the caller unlocks that memory. A grab needs it.
  TransferTarget programmed[2];
};

// The strobe, event and trigger lines of a board; zeroed at open.
struct LineRecord {
  std::atomic<RG7InterruptCallback> trigger_callback;
  std::atomic<RG7InterruptCallback> event_callback;
  std::atomic<RG7InterruptCallback> strobe_callback;  // may be null while armed
  std::atomic<std::uint32_t> strobe_mode;
  std::atomic<std::uint32_t> delay1;  // fields before the pulse
  std::atomic<std::uint32_t> delay2;  // pulse width in fields
  std::atomic<std::uint32_t> count1;
  std::atomic<std::uint32_t> count2;
  std::atomic<std::uintptr_t> strobe_context;
  std::atomic<std::uint32_t> strobe_armed;
  std::atomic<std::uint32_t> strobe_grab;  // the grab the sequence started (grab_starts)
};

void ResetLineRecord(LineRecord& lines);

struct RG7BoardRecord {
  std::atomic<std::uint32_t> open;
  std::uint32_t current_camera;
  std::uint32_t bt829_fitted;
  std::uint32_t vpc_fitted;
  std::uint32_t two_svideo_mode;
  std::uint32_t reserved;
  std::uint32_t mirror_mode;
  std::uint32_t dib_mode;  // bottom-up copy; under transfer_lock
  RG7CameraRecord cameras[4];
  MasterModeBlock master;
  // Held by whoever changes what the bounce copy or a grab reads of `master` (the
  // per-field transfer values, the programmed targets, `dib_mode`), and by the copy
  // while it runs: once a setter returns, no copy writes to an old target.
  std::mutex transfer_lock;
  // Grab state: low 16 bits the state number, bit 16 a single-field grab.
  std::atomic<std::uint32_t> grab_state;
  std::atomic<std::uint32_t> grab_flags;
  std::atomic<std::uint32_t> field_select_running;  // byte 0 field select, byte 1 running
  std::atomic<std::uint32_t> dispatching;           // status being dispatched
  std::atomic<std::uint32_t> stop_waiting;          // a stop waits for the frame to end
  std::atomic<std::uint32_t> latched;               // latched RG7InterruptBits
  InterruptCallbackNode* internal_list;
  InterruptCallbackNode* user_list;
  std::atomic<RG7InterruptCallback> deferred_stop;
  std::atomic<std::uintptr_t> deferred_stop_context;
  LineRecord lines;
  std::atomic<std::uint32_t> vsync;        // field bits the dispatcher saw since the last query
  std::atomic<std::uint32_t> grab_starts;  // grabs started since the library was loaded
};

constexpr std::uint32_t kMaxBoardRecords = 3;

extern RG7BoardRecord g_boardRecords[kMaxBoardRecords];

// Back to the state the loader leaves: everything zero.
void ResetBoardRecord(RG7BoardRecord& board);

// The current board's record, and whether it is open.
RG7BoardRecord& CurrentBoardRecord();
bool CurrentBoardOpen();
std::uint16_t CurrentBoardIndex();
void SetCurrentBoardIndex(std::uint16_t board);
// The current camera (0-3) of the current board.
std::uint16_t CurrentCameraIndex();
void SetCurrentCameraIndex(std::uint16_t camera);
RG7CameraRecord& CurrentCameraRecord();

}  // namespace rg7
