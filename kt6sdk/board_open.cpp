// KT6Open makes the board that drives a monitor an open capture device: driver,
// PCI BIOS, scan, desktop mode, mapping, identity, KT-600.INI, bus timing, memory
// clock, display-memory reservation, interrupt thread and streams processor, in
// that order. KT6Close undoes it. One board per process.
#include <atomic>
#include <cstdio>

#include "kt6sdk/board_defaults.h"
#include "kt6sdk/board_operations.h"
#include "kt6sdk/board_scan.h"
#include "kt6sdk/clocks.h"
#include "kt6sdk/control_devices.h"
#include "kt6sdk/display_enumeration.h"
#include "kt6sdk/display_mode.h"
#include "kt6sdk/display_reservation.h"
#include "kt6sdk/driver_link.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/interrupt_sources.h"
#include "kt6sdk/interrupt_thread.h"
#include "kt6sdk/kt600_ini.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/lines.h"
#include "kt6sdk/overlay.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/serial_bus.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/streams_processor.h"
#include "platform/message_box.h"
#include "platform/user.h"

namespace kt6 {
namespace {

constexpr std::uint16_t kDriverVersionFirst = 0x200;
constexpr std::uint16_t kDriverVersionLast = 0x2FF;
constexpr std::uint16_t kSupportedDriverMajor = 2;
constexpr std::uint16_t kSupportedDriverMinor = 1;
// The board status byte of the second-decoder boards, as type 3 and the others give it.
constexpr std::uint32_t kStatusCountType3 = 2;
constexpr std::uint8_t kStatusOutType3 = 120;
constexpr std::uint32_t kStatusCount = 5;
constexpr std::uint8_t kStatusOut = 127;
constexpr std::uint8_t kRevisionBits = 0x0F;
constexpr std::uint32_t kCodeReservedBits = 0x03;  // of the code byte: must be clear
constexpr std::uint8_t kSecondDecoderTypeBase = 3;
constexpr std::uint32_t kMaxSpareKb = 64;
constexpr std::uint8_t kPortDecoderOutput = 5;
constexpr std::uint8_t kCtrlVideoRouting = 1;
constexpr std::uint16_t kVsyncSource = irq::kVerticalSync;
// The stream FIFO word each chip gets unless KT-600.INI names one.
constexpr std::uint32_t kStreamFifo5631 = 0x420C;
constexpr std::uint32_t kStreamFifo8A01 = 0xA188;
constexpr std::uint32_t kStreamFifo8A22 = 0x18200;

std::uint8_t Crtc(std::uint8_t index) { return static_cast<std::uint8_t>(KT6ProgramIORead(vga::kCrtcIndex, index)); }

Kt600Context Context() {
  Kt600Context c;
  c.chip_id = g_state.chip_id;
  c.board_type = g_state.board_type;
  c.revision = g_state.revision;
  c.board_id = g_state.board_id;
  return c;
}

std::int32_t Key(Kt600Key key, const Kt600Context& context) { return ReadKt600Key(key, context); }
std::int32_t Key(Kt600Key key) { return ReadKt600Key(key, Context()); }

bool DriverVersionFits() {
  std::uint16_t version = DrvVersion();
  g_state.board.driver_version = version;
  if (version >= kDriverVersionFirst && version <= kDriverVersionLast) return true;
  char text[160];
  std::snprintf(text, sizeof text,
                "The version of the kernel device driver (%x.%x) is not matching the SDK version (%x.%x). Open "
                "failed.",
                version >> 8, version & 0xFF, kSupportedDriverMajor, kSupportedDriverMinor);
  MessageBoxA(nullptr, text, "Fatal Error", MB_OK);
  return false;
}

// Any CurBoard outside the table takes its last board.
std::uint32_t ChooseBoard(std::uint32_t count) {
  if (count == 1) return 0;
  std::int32_t chosen = Key(Kt600Key::kCurBoard);
  if (chosen < 0 || static_cast<std::uint32_t>(chosen) >= count) return count - 1;
  return static_cast<std::uint32_t>(chosen);
}

bool TypeFitsChip(std::uint16_t chip, std::uint16_t type) {
  switch (chip) {
    case kChip5631:
      return type == 0;
    case kChip8A01:
      return type == 1 || type == 2;
    case kChip8A22:
      return type >= 3 && type <= 5;
    default:
      return false;
  }
}

// The board id from the chip with KT-600.INI's halves, and the type it gives.
bool IdentifyBoard() {
  if (g_state.chip_id == kChip5631) {
    g_state.board_id = 0;
    g_state.board_type = 0;
    return true;
  }
  std::uint32_t id = Crtc(vga::kCrBoardId0) | std::uint32_t(Crtc(vga::kCrBoardId1)) << 8 |
                     std::uint32_t(Crtc(vga::kCrBoardId2)) << 16 | std::uint32_t(Crtc(vga::kCrBoardId3)) << 24;
  g_state.board_id = id;
  Kt600Context context = Context();
  std::uint32_t low = static_cast<std::uint16_t>(Key(Kt600Key::kSubSystemIDLow, context));
  std::uint32_t high = static_cast<std::uint16_t>(Key(Kt600Key::kSubSystemIDHigh, context));
  id = high << 16 | low;
  g_state.board_id = id;
  std::uint16_t type = id & vga::kBoardVariantBits;
  if (g_state.chip_id == kChip8A22) type = static_cast<std::uint16_t>(type + kSecondDecoderTypeBase);
  if (!TypeFitsChip(g_state.chip_id, type)) return false;
  g_state.board_type = type;
  return true;
}

bool ReadRevision() {
  if (g_state.board_type > 2) {
    std::uint8_t status;
    {
      SerialBusHold bus;
      status = g_state.board_type == 3 ? KT6SerialReadBytes(kStatusCountType3, kStatusOutType3)
                                       : KT6SerialReadBytes(kStatusCount, kStatusOut);
    }
    g_state.revision = status & kRevisionBits;
    g_state.board_code = static_cast<std::uint8_t>((g_state.board_id >> 8) & 0xFC);
    if ((g_state.board_id >> 8) & kCodeReservedBits) return false;
  } else {
    g_state.revision = static_cast<std::uint8_t>(g_state.board_id >> 16);
    g_state.board_code = static_cast<std::uint8_t>(g_state.board_id >> 8);
  }
  return true;
}

// Display memory as CRTC 0x36 reports it, in MB; 0 for a code the chip does not list.
std::uint32_t ReportedMemoryMb() {
  std::uint8_t code = Crtc(vga::kCrMemorySize) & vga::kCrMemoryCodeBits;
  if (g_state.chip_id == kChip8A22) {
    switch (code) {
      case 0x00:
        return 2;
      case 0x20:
        return 4;
      case 0x40:
        return 8;
      case 0x60:
        return 12;
      case 0x80:
        return 16;
      case 0xA0:
        return 32;
      default:
        return 0;
    }
  }
  switch (code) {
    case 0x00:
      return 4;
    case 0x80:
      return 2;
    case 0xC0:
      return 1;
    default:
      return 0;
  }
}

std::uint32_t MappedFrameBufferBytes() {
  return g_state.chip_id == kChip8A22 ? window::kFrameBufferSize8A22 : window::kFrameBufferSize;
}

void FillBoardInfo(const DisplayEntry& display) {
  BoardInfo& info = g_state.info;
  info = BoardInfo{};
  info.board_id = g_state.board_id;
  info.chip_id = g_state.chip_id;
  info.chip_revision = Crtc(vga::kCrChipRevision);
  info.sdk_version = kSdkVersion;
  info.has_decoder = g_state.board_type >= 1 ? 1 : 0;
  std::uint32_t mapped = MappedFrameBufferBytes();
  std::uint32_t reported = ReportedMemoryMb();
  // The record keeps what the chip says; the capture buffer stays in what is mapped.
  info.memory_mb = static_cast<std::uint8_t>(reported ? reported : mapped >> 20);
  std::uint32_t bytes = std::uint32_t(info.memory_mb) << 20;
  g_state.board.memory_bytes = bytes < mapped ? bytes : mapped;
  info.display_mode = g_state.board.display_mode;
  PrimaryStream stream = PrimaryStreamOf(g_state.board.display_mode);
  info.desktop_width = static_cast<std::uint16_t>(display.width);
  info.desktop_height = static_cast<std::uint16_t>(display.height);
  info.bytes_per_pixel = stream.bytes_per_pixel;
  info.irq_line = g_state.irq_line;
  const RECT& r = display.info.rcMonitor;
  info.monitor_rect[0] = r.left;
  info.monitor_rect[1] = r.top;
  info.monitor_rect[2] = r.right;
  info.monitor_rect[3] = r.bottom;
  info.driver_version = g_state.board.driver_version;
}

void ReadSettings() {
  OpenSettings& s = g_state.settings;
  s.savage4_shift_patch = g_state.board_type > 2 ? Key(Kt600Key::kSavage4ShiftPatch) : 0;
  s.kill_interrupt = Key(Kt600Key::kKillInterrupt);
  s.ntsc_even_field_shift = Key(Kt600Key::kNTSCEvenFieldShift);
  s.delay_reg_setting = Key(Kt600Key::kDelayRegSetting);
  s.fixed_video_address = Key(Kt600Key::kFixedVideoAddress);
  s.disable_device_bitmap = Key(Kt600Key::kDisableDeviceBitmap);
  s.switch_channel_timeout = Key(Kt600Key::kSwitchChannelTimeout);
  s.passdown_int = Key(Kt600Key::kPassdownInt);
  s.svideo_mode = Key(Kt600Key::kSVideoMode);
  s.detect_interval = Key(Kt600Key::kDetectInterval);
  g_state.camera_notify_state = static_cast<std::uint16_t>(Key(Kt600Key::kDetectEnable));
  g_state.info.svideo_mode = static_cast<std::uint8_t>(s.svideo_mode);
  g_state.config = DefaultBoardConfig(g_state.board_type, s.svideo_mode != 0);

  auto hi = static_cast<std::uint32_t>(Key(Kt600Key::kSpecifiedStreamFIFOHi));
  auto lo = static_cast<std::uint32_t>(Key(Kt600Key::kSpecifiedStreamFIFOLo));
  if (hi || lo)
    s.stream_fifo = hi << 16 | lo;
  else
    s.stream_fifo = g_state.chip_id == kChip5631   ? kStreamFifo5631
                    : g_state.chip_id == kChip8A01 ? kStreamFifo8A01
                                                   : kStreamFifo8A22;

  // What the desktop leaves of display memory; nothing when it uses more.
  std::int32_t used = (Crtc(vga::kCrDesktopUsedHigh) & 0x0F) << 8 | (Crtc(vga::kCrDesktopUsedLow) - 1);
  std::int32_t spare = (std::int32_t(g_state.info.memory_mb) << 10) - used;
  Kt600Context context = Context();
  context.spare_kb = spare > 0 && spare <= std::int32_t(kMaxSpareKb) ? std::uint32_t(spare) : 0;
  s.video_address_adjustment = static_cast<std::uint32_t>(Key(Kt600Key::kVideoAddressAdjustment, context)) * 1024u;
}

void SetUpMemoryClock() {
  OpenSettings& s = g_state.settings;
  s.enable_hf = g_state.board_type > 2 ? 0 : Key(Kt600Key::kEnableHF);
  if (s.enable_hf == 1) {
    g_state.board.saved_memory_clock[0] =
        static_cast<std::uint8_t>(KT6ProgramIORead(vga::kSequencerIndex, vga::kSrMemoryClockRn));
    g_state.board.saved_memory_clock[1] =
        static_cast<std::uint8_t>(KT6ProgramIORead(vga::kSequencerIndex, vga::kSrMemoryClockM));
    SetMemoryClockMhz(static_cast<float>(Key(Kt600Key::kDefaultHF)));
  }
  g_state.info.memory_clock_mhz = MemoryClockMhz();
}

void RestoreMemoryClock() {
  if (g_state.settings.enable_hf == 1)
    WritePll(g_state.board.saved_memory_clock[0], g_state.board.saved_memory_clock[1]);
}

void CalibrateBus() {
  std::int32_t mode = Key(Kt600Key::kAutoI2CTimingEnable);
  if (mode != 0) {
    CalibrateI2CTiming(static_cast<std::uint16_t>(mode));
    return;
  }
  g_state.i2c_timing_counter = static_cast<std::uint32_t>(Key(Kt600Key::kI2CTimingCounter));
}

// A board opened anew has no strobe, trigger or event set up (its record says so):
// the library's own line sources go, before their callbacks.
void ClearLineState() {
  DisableInternalSources(static_cast<std::uint16_t>(g_irq.internal_mask.load() & irq::kLineSources));
  ForgetLineSources();
  g_state.control19 = 0;
  g_events.event_callback = nullptr;
  g_events.trigger_callback = nullptr;
  g_events.other_event_callback = nullptr;
  g_events.other_event_mask = 0;
  ClearCaptureEvents();
  for (std::uint8_t& used : g_state.camera_slot_used) used = 0;
}

std::int32_t OpenBoardOfThisProcess(std::uint16_t sdkVersion) {
  if (g_state.opened.load() || !DriverAvailable()) return KT6_ERR_GENERAL;
  if (!DriverVersionFits()) return KT6_ERR_GENERAL;
  std::uint8_t lastBus = 0;
  if (!DrvPciPresent(&lastBus)) return KT6_ERR_NO_PCI_BIOS;

  g_state.app_sdk_version = sdkVersion;
  LocateKt600Ini();
  EnumerateDisplays();
  Kt600Context scanning;
  scanning.scanning = true;
  g_state.i2c_timing_counter = static_cast<std::uint32_t>(Key(Kt600Key::kI2CTimingCounter, scanning));

  std::uint32_t count = DrvScanBoards(lastBus);
  if (count == 0) return KT6_ERR_NO_BOARD;
  std::uint32_t current = ChooseBoard(count);
  const BoardEntry& board = g_boards.boards[current];
  g_state.current_board = static_cast<std::int32_t>(current);
  g_state.chip_id = board.chip;
  g_state.board.bus = board.bus;
  g_state.board.device = board.device;
  g_state.display_index = board.display;
  const DisplayEntry& display = g_displays.displays[board.display];

  std::uint16_t mode = DisplayModeCode(display.width, display.height, display.bits_per_pixel);
  if (!ModeAllowed(board.chip, mode)) {
    g_state.board.display_mode = 0;
    return KT6_ERR_DISPLAY_MODE;
  }
  g_state.board.display_mode = mode;

  if (KT6MapBoardMemory(board.bus, board.device) != KT6_OK) return KT6_ERR_GENERAL;
  KT6OpenHook(0);
  if (!IdentifyBoard()) {
    KT6UnmapBoardMemory();
    return KT6_ERR_GENERAL;
  }
  g_state.irq_line = static_cast<std::uint8_t>(read_confreg_byte(pcicfg::kInterruptLine, board.bus, board.device));
  bool revisionFits = ReadRevision();
  if (!revisionFits || (KT6MMIORead32Raw(mmio::kVideoPortControl) & mmio::kVideoPortRunning)) {
    KT6UnmapBoardMemory();
    return KT6_ERR_GENERAL;
  }

  FillBoardInfo(display);
  g_state.board.vram_base = KT6GetFrameBufferAddress(board.bus, board.device);
  {
    SerialBusHold bus;
    KT6I2CIdle();
  }
  CalibrateBus();
  g_state.settings.field_patch_enable = Key(Kt600Key::kFieldPatchEnable);
  ReadSettings();
  SetUpMemoryClock();
  SendMessageA(HWND_BROADCAST, WM_WININICHANGE, 0, 0);

  if (g_state.settings.disable_device_bitmap) ReserveDisplayMemory();
  if (StartInterruptThread(g_state.irq_line) != 0) {
    // Without its interrupts the board is not open: nothing stays held.
    ReleaseDisplayMemory();
    RestoreMemoryClock();
    return KT6_ERR_GENERAL;
  }
  g_state.opened = 1;
  InstallInternalHandler(InternalInterruptHandler);
  EnableInternalSources(kVsyncSource);
  PrepareStreamsProcessor();
  ClearLineState();
  return KT6_OK;
}

}  // namespace

std::int32_t CloseBoard() {
  if (!g_state.opened.load()) return KT6_ERR_GENERAL;
  KT6MMIOWrite32Raw(mmio::kVideoPortControl, 0);
  if (g_state.board_type == 1 || g_state.board_type == 2)
    KT6SetPortReg(kPortDecoderOutput, 0);
  else if (g_state.board_type > 2)
    KT6SetCtrlReg(kCtrlVideoRouting, 0);
  SetOverlayMode(kOverlayDesktopOnly);
  if (g_state.board_type > 2 && DisplayMemoryReserved()) ReleaseCaptureSurface();
  RestoreStreamsProcessor();
  RestoreMemoryClock();
  DisableInternalSources(kVsyncSource);
  RemoveInternalHandler(InternalInterruptHandler);
  g_state.field = kNoField;
  g_state.opened = 0;
  g_state.board.vram_base = 0;
  g_state.board.display_mode = 0;
  g_irq.enabled = 0;
  SendEnabledSources();
  g_state.initialised = 0;
  StopInterruptThread();
  g_operations.stop_poll_timer();
  // A grab does not outlive the board: a stop after the close has nothing to stop.
  g_state.grab_flags = 0;
  KT6CloseHook();
  KT6UnmapBoardMemory();
  ReleaseDisplayMemory();
  return KT6_OK;
}

// An open or a close runs whole: one asked for meanwhile (a callback's close while
// the open is still preparing the board, or while the caller closes) is refused
// rather than waited for, since it may come from the interrupt thread that the
// running one is about to stop.
class BoardTransition {
 public:
  BoardTransition() {
    bool idle = false;
    held_ = g_running.compare_exchange_strong(idle, true);
  }
  ~BoardTransition() {
    if (held_) g_running = false;
  }
  BoardTransition(const BoardTransition&) = delete;
  BoardTransition& operator=(const BoardTransition&) = delete;
  bool held() const { return held_; }

 private:
  static inline std::atomic<bool> g_running{false};
  bool held_;
};

}  // namespace kt6

std::int32_t KT6Open(std::uint16_t sdkVersion) {
  kt6::BoardTransition transition;
  return transition.held() ? kt6::OpenBoardOfThisProcess(sdkVersion) : KT6_ERR_GENERAL;
}

std::int32_t KT6Close() {
  kt6::BoardTransition transition;
  return transition.held() ? kt6::CloseBoard() : KT6_ERR_GENERAL;
}

std::uint32_t KT6GetVRAMBase(std::uint32_t* base) {
  if (!kt6::g_state.opened.load()) return static_cast<std::uint32_t>(KT6_ERR_GENERAL);
  std::uint32_t address = kt6::g_state.board.vram_base;
  if (base) *base = address;
  return address;
}
