// Opening, initialising and closing the boards, and choosing the current board
// and camera.
#include <cstring>

#include "ddraw_overlay/zpddraw_internal.h"

#include "rg7sdk/board_nodes.h"
#include "rg7sdk/board_records.h"
#include "rg7sdk/board_setup.h"
#include "rg7sdk/bt829a_registers.h"
#include "rg7sdk/decoder_backends.h"
#include "rg7sdk/driver_link.h"
#include "rg7sdk/grab_state_machine.h"
#include "rg7sdk/interrupt_callbacks.h"
#include "rg7sdk/master_buffers.h"
#include "rg7sdk/register_access.h"
#include "rg7sdk/rg700_ini.h"
#include "rg7sdk/rg700_registers.h"
#include "rg7sdk/rg7sdk.h"
#include "rg7sdk/vpc32x5c_registers.h"

namespace rg7 {
namespace {

std::int32_t g_boardCount = 0;
std::int32_t g_openCount = 0;
std::uint16_t g_openVersion = 0;

std::uint32_t BoardsInUse() {
  return g_boardCount > 0 ? static_cast<std::uint32_t>(g_boardCount < 3 ? g_boardCount : 3) : 0;
}

void PrepareCameras(std::uint32_t board) {
  RG7BoardRecord& b = g_boardRecords[board];
  for (std::uint32_t c = 0; c < 4; ++c) {
    RG7CameraRecord& cam = b.cameras[c];
    cam = RG7CameraRecord{};
    cam.window_id = board << 20 | c << 16;
    cam.horizontal_scale = 1.0f;
    cam.vertical_scale = 1.0f;
    cam.vpe_sync = 0;
  }
}

void DetectDecoder(RG7BoardRecord& b) {
  b.bt829_fitted = (RG7InByteBt829A(bt829a::kIdentity) & bt829a::kIdentityMask) == bt829a::kIdentityBt829a ? 1 : 0;
  b.vpc_fitted =
      (RG7InWordVPC32x5C_FP(vpc32x5c::kFpIdentity) & vpc32x5c::kFpIdentityMask) == vpc32x5c::kFpIdentityVpc32x5c ? 1
                                                                                                                 : 0;
}

// Opens one board: its records, interrupt connection, decoder and buffers.
std::int32_t OpenBoard(std::uint32_t index, PhysicalPageList* scratch, PhysicalPageList* pieces) {
  RG7BoardRecord& b = g_boardRecords[index];
  b.master = MasterModeBlock{};
  if (std::int32_t r = PrepareHardwarePageTables(b, scratch)) return r;
  b.open.store(1);
  b.two_svideo_mode = 0;
  b.reserved = 0;
  b.dib_mode = 0;
  b.dispatching.store(0);
  b.internal_list = b.user_list = nullptr;
  ResetLineRecord(b.lines);
  b.vsync.store(0);
  b.grab_state.store(0);
  // The board is made current first, so that its handler and callback land on its own lists.
  if (RG7SetCurrentBoard(static_cast<std::uint16_t>(index)) != 0) return RG7_ERR_NOT_OPEN;
  if (std::int32_t r = ConnectInternalCallback(index, GrabInterruptHandler, grab::kHandlerMask,
                                               reinterpret_cast<std::uintptr_t>(&b)))
    return r;
  if (std::int32_t r = RG7ConnectInterruptToCallback(static_cast<std::int32_t>(index), NullInterruptCallback, 0, 0))
    return r;
  b.deferred_stop.store(nullptr);
  PrepareCameras(index);
  DetectDecoder(b);
  if (std::int32_t r = PrepareBounceBuffers(b, scratch, pieces)) return r;
  RG7Init();
  return 0;
}

// Releases everything of the boards up to `count` and the board nodes.
void CloseBoards(std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) {
    RG7BoardRecord& b = g_boardRecords[i];
    if (b.open.load()) {
      RG7SetCurrentBoard(static_cast<std::uint16_t>(i));
      RG7StopGrab(nullptr, 0);
      RG7IRQDisable(0xFFFFFFFF, irq::kLibraryOwner);
    }
    b.open.store(0);
  }
  // A handler still running may be copying out of the bounce buffers.
  WaitForDispatchToEnd();
  for (std::uint32_t i = 0; i < count; ++i) ReleaseMasterBuffers(g_boardRecords[i]);
  FreeBoardNodes();
  for (std::uint32_t i = 0; i < count; ++i) ClearCallbackLists(g_boardRecords[i]);
}

// A failed first open leaves nothing behind: no buffers, no connection, no count.
std::int32_t FailOpen(std::int32_t result, std::uint32_t boards) {
  for (std::uint32_t i = 0; i < boards; ++i) {
    if (!g_boardRecords[i].open.load() || RG7SetCurrentBoard(static_cast<std::uint16_t>(i)) != 0) continue;
    RG7DisconnectInterruptCallback(static_cast<std::int32_t>(i), NullInterruptCallback);
  }
  CloseBoards(boards);
  SetCurrentBoardIndex(0);
  SetCurrentCameraIndex(0);
  g_boardCount = RG7_ERR_NOT_OPEN;
  g_openCount = 0;
  return result;
}

}  // namespace

std::uint32_t NullInterruptCallback(std::uint32_t, std::uintptr_t) { return 0; }

void CloseCompletely() {
  if (g_openCount > 1) g_openCount = 1;
  RG7Close();
}

void ResetOpenState() {
  g_boardCount = 0;
  g_openCount = 0;
  SetCurrentCameraIndex(0);
}

std::uint16_t GetCurrentBoardIndex() { return CurrentBoardIndex(); }

void ApplyVpeSyncCrop() {
  RG7CameraRecord& cam = CurrentCameraRecord();
  if (cam.video_standard != 1) return;
  bool vpc = CurrentBoardRecord().vpc_fitted != 0;
  // Only the VPC32x5C's PAL picture starts elsewhere with VPE sync; a Bt829A keeps its origin.
  if (vpc) cam.crop_origin_x = cam.vpe_sync ? 89 : 105;
  IHW_SetField(VXP_HCROP_LEFT, cam.crop_origin_x + cam.grab_x);
  IHW_SetField(VXP_HCROP_RIGHT, cam.crop_origin_x + cam.grab_x + cam.grab_width);
  if (vpc) {
    std::uint16_t r34 = cam.vpe_sync ? 114 : 136;
    RG7OutWordVPC32x5C(vpc32x5c::kRegister34, r34);
    cam.vpc_direct_shadow[26] = static_cast<std::uint8_t>(r34);
    cam.vpc_direct_shadow[27] = static_cast<std::uint8_t>(r34 >> 8);
  }
}

void ApplyCameraRecord(const RG7CameraRecord& record) {
  if (!CurrentBoardOpen()) return;
  const RG7BoardRecord& b = CurrentBoardRecord();
  if (b.bt829_fitted)
    Bt829LoadRegisters(record);
  else if (b.vpc_fitted)
    VPCLoadCameraRegisters(record);
  // The setters below change the current camera's record; work from a copy.
  RG7CameraRecord cam = record;
  RG7SetVideoChannel(cam.video_channel);
  RG7SetVideoStandard(cam.video_standard);
  const RG7CameraRecord& now = CurrentCameraRecord();
  auto gy = static_cast<std::int32_t>(cam.grab_y), gh = static_cast<std::int32_t>(cam.grab_height);
  IHW_SetField(VXP_HCROP_LEFT, now.crop_origin_x + cam.grab_x);
  IHW_SetField(VXP_HCROP_RIGHT, now.crop_origin_x + cam.grab_x + cam.grab_width);
  IHW_SetField(VXP_VCROP_TOP, static_cast<std::uint32_t>(static_cast<std::int32_t>(now.crop_origin_y) + gy / 2));
  IHW_SetField(VXP_VCROP_BOTTOM,
               static_cast<std::uint32_t>(static_cast<std::int32_t>(now.crop_origin_y) + (gy + gh) / 2));
  RG7SetPixelMode(cam.pixel_code);
  RG7SetHue(cam.hue);
  RG7SetSaturation(cam.saturation);
  RG7SetBrightness(cam.brightness);
  RG7SetAGC(cam.agc);
  RG7SetContrast(cam.contrast);
  RG7SetHScaleFactor(cam.horizontal_scale);
  RG7SetVScaleFactor(cam.vertical_scale);
}

}  // namespace rg7

using namespace rg7;

std::int16_t RG7InquireSDKVersion() { return kSdkVersion; }

std::int32_t RG7Open(std::uint16_t version) {
  if (!DriverAvailable()) return RG7_ERR_NOT_OPEN;
  ++g_openCount;
  if (CurrentBoardOpen()) return g_boardCount;

  ReadRg700Ini();
  SetCurrentBoardIndex(0);
  SetCurrentCameraIndex(0);
  g_boardCount = EnumerateBoards(kZephlorSubsystemVendor, nullptr);
  std::uint32_t boards = BoardsInUse();
  if (boards == 0) return FailOpen(RG7_ERR_NOT_OPEN, 0);

  PhysicalPageList* scratch = AllocatePageList();
  PhysicalPageList* pieces = AllocatePageList();
  std::int32_t result = scratch && pieces ? 0 : RG7_ERR_NO_MEMORY;
  for (std::uint32_t i = 0; i < boards && result == 0; ++i) result = OpenBoard(i, scratch, pieces);
  FreePageList(scratch);
  FreePageList(pieces);
  if (result != 0) return FailOpen(result, boards);

  RG7SetCurrentBoard(0);
  g_openVersion = version;
  ZPDDraw_RegisterVIPCallback(0, ZPVIPInitCallback, 0, 0);
  ZPDDraw_RegisterVIPCallback(1, ZPVIPUninitCallback, 0, 0);
  return g_boardCount;
}

std::int32_t RG7Close() {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (--g_openCount > 0) return 0;
  ZPDDraw_RegisterVIPCallback(0, nullptr, 0, 0);
  ZPDDraw_RegisterVIPCallback(1, nullptr, 0, 0);
  CloseBoards(BoardsInUse());
  CurrentBoardRecord().open.store(0);
  g_openCount = 0;
  return 0;
}

std::int32_t RG7Init() {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  const RG7BoardRecord& b = CurrentBoardRecord();
  // The init clears every enabled interrupt: nothing may be left waiting for one. A
  // grab stops, and the lines are disarmed so that they can be armed again.
  if (GrabRunning(b)) RG7StopGrab(nullptr, 0);
  RG7DisableStrobe();
  RG7DisableEvent();
  RG7DisableTrigger();
  bool bt = b.bt829_fitted != 0;
  const Rg700Settings& ini = IniSettings();

  IHW_SetField(kLoadFieldTable, 0);
  IHW_SetField(VXP_GIO_CTL_A, 0x83);
  RG7SetEventPolarity(0);
  RG7SetTriggerPolarity(0);
  IHW_SetField(VXP_MPG_CFG_IRQ_POL, 1);

  IHW_SetRegister(reg::kInputConfig, bt ? reg::kInputConfigBt829a : 0);
  RG7LUTLoadLinear();

  IHW_SetField(VXP_INCFG_PIPE_RESET, 1);
  IHW_SetField(VXP_INCFG_VID_DECODER, 1);
  IHW_SetField(VXP_INCFG_H_SYNC_POL, 1);
  IHW_SetField(VXP_INCFG_V_SYNC_POL, 1);
  IHW_SetField(VXP_INCFG_EARLY_SYNC, bt ? 0 : 1);

  IHW_SetField(VXP_PCI_SYS_MEM_PAGE, 63);
  IHW_SetField(VXP_PCI_SLAVE_DIS_EN, 0);
  IHW_SetField(VXP_PCI_RETRY_RESET, 0);
  IHW_SetField(VXP_PCI_GLOBAL_FAST_REGWRITE, 1);
  IHW_SetField(VXP_PCI_VIDEO_OVERFLOW_POP, 10);
  IHW_SetField(VXP_PCI_GLOBAL_RESET, 1);
  IHW_SetField(VXP_PCI_GLOBAL_RESET, 0);
  IHW_SetField(VXP_PCI_DMA_VID_REQ, 1);
  for (std::uint32_t f = VXP_PCI_DMA_VID_ENDIAN_TYPE; f <= VXP_PCI_DMA_VID_PTR_FIFO_FL; ++f) IHW_SetField(f, 0);

  IHW_SetRegister(reg::kHorizontalFilter, 0);
  IHW_SetRegister(reg::kHorizontalPrescale, 1);
  IHW_SetRegister(reg::kVerticalFraction, 0);
  IHW_SetRegister(reg::kVerticalInteger, 1);
  IHW_SetRegister(reg::kFilterControl, 0);
  IHW_SetRegister(reg::kOutputControl, 0);

  IHW_SetField(VXP_INCFG_DATA_FMT, 0);
  IHW_SetField(VXP_OUT_CFG_OUT_DAT_FMT, 3);
  CurrentCameraRecord().pixel_code = 2;
  IHW_SetField(VXP_OUTCFG_DITHE_EN, 1);
  IHW_SetField(VXP_INCFG_PIPE_RESET, 0);

  // Nothing enabled: the register and what the library keeps of it say the same.
  ClearEnabledInterrupts();
  IHW_GetRegister(reg::kInterruptStatus);
  IHW_SetField(VXP_PCI_DMA_VIDEO_FIFO_HIGH, 8);

  if (bt || b.vpc_fitted) {
    if (bt) IHW_SetRegister(reg::kOutputConfig, IHW_GetRegister(reg::kOutputConfig) | reg::kOutputConfigBt829a);
    IHW_SetField(VXP_VPE_CFG_CTL, static_cast<std::uint32_t>(ini.vpe_sync_delay) << 4 | 11);
    IHW_SetField(VXP_VPE_CFG_A_CTL, 8);
  }

  RG7LoadDefault(ini.default_standard_camera != 0 ? 1 : 0);

  RG7SetAGC(0);
  RG7SetMirrorMode(0);
  RG7SetScaleFactor(1.0f, 1.0f);
  RG7SetHue(0);
  RG7SetSaturation(128);
  RG7SetBrightness(128);
  RG7SetContrast(128);
  RG7SetVCRMode(0);
  if (bt) RG7LUTLoadLinear();
  return 0;
}

std::int32_t RG7LoadDefault(std::uint16_t standard) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  RG7SetVideoStandard(standard);
  ApplyCameraRecord(CurrentCameraRecord());
  RG7CameraRecord& cam = CurrentCameraRecord();
  cam.configured = 1;
  IHW_SetField(VXP_HCROP_LEFT, cam.crop_origin_x);
  IHW_SetField(VXP_HCROP_RIGHT, cam.crop_origin_x + cam.full_width);
  IHW_SetField(VXP_VCROP_TOP, cam.crop_origin_y);
  IHW_SetField(VXP_VCROP_BOTTOM, cam.crop_origin_y + cam.full_height / 2);
  cam.hue = 0;
  cam.saturation = 128;
  cam.brightness = 128;
  cam.agc = 0;
  cam.contrast = 128;
  return 0;
}

std::int32_t RG7SetCurrentBoard(std::uint16_t board) {
  if (static_cast<std::int32_t>(board) >= g_boardCount || board >= kMaxBoardRecords) return RG7_ERR_PARAMETER;
  if (!g_boardRecords[board].open.load()) return RG7_ERR_NOT_OPEN;
  SetCurrentBoardIndex(board);
  SetCurrentCameraIndex(static_cast<std::uint16_t>(g_boardRecords[board].current_camera));
  return SelectBoardNode(board);
}

std::int32_t RG7SetCurrentCamera(std::uint16_t camera) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (camera > 3) return RG7_ERR_PARAMETER;
  if (!CurrentCameraRecord().configured) return 0;
  SetCurrentCameraIndex(camera);
  ApplyCameraRecord(CurrentCameraRecord());
  return 0;
}

namespace rg7 {

std::uint32_t ZPVIPInitCallback(std::uint32_t, std::uint32_t) {
  CurrentCameraRecord().vpe_sync = 1;
  ApplyVpeSyncCrop();
  return 0;
}

std::uint32_t ZPVIPUninitCallback(std::uint32_t, std::uint32_t) {
  CurrentCameraRecord().vpe_sync = 0;
  ApplyVpeSyncCrop();
  return 0;
}

}  // namespace rg7
