// Example: the 700-series library on the default virtual PC. It attaches the
// library as the loader would, lists the boards the driver found, selects the
// first one, works with the bridge's registers by field name and reads the
// decoders' identities over the serial bus; then it grabs one frame of the
// default camera into memory and saves it, with the library's own conversion, as
// frame.bmp, beside a generated test frame as frame.tga and frame.tif.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/paths.h"
#include "rg7sdk/board_nodes.h"
#include "rg7sdk/chipset_table.h"
#include "rg7sdk/library_entry.h"
#include "rg7sdk/register_access.h"
#include "rg7sdk/rg7sdk.h"
#include "sim/machine.h"
#include "sim/rg700/rg700_capture_format.h"

namespace {

std::uint32_t FieldIndex(const char* name) {
  const rg7::FieldTableDescriptor* d = rg7::IHW_GetFieldTable();
  for (std::uint32_t i = 0; i < d->count; ++i)
    if (d->table[i].name && std::strcmp(d->table[i].name, name) == 0) return i;
  return 0xFFFFFFFF;
}

void ShowField(const char* name) { std::printf("  %-28s = 0x%X\n", name, rg7::IHW_GetField(FieldIndex(name))); }

std::atomic<bool> g_frameDone{false};

std::uint32_t OnTransferDone(std::uint32_t, std::uintptr_t) {
  g_frameDone.store(true);
  return 0;
}

constexpr std::uint32_t kWidth = 640, kHeight = 480;

// One YUV 4:2:2 frame of the current camera into pinned memory; empty when the grab failed.
std::vector<std::uint8_t> GrabOneFrame() {
  constexpr std::uint32_t kSize = kWidth * kHeight * 2;
  auto* frame = static_cast<std::uint8_t*>(std::aligned_alloc(4096, kSize));
  std::memset(frame, 0, kSize);
  GrabWindowDesc desc{};
  RG7SetPixelMode(6);
  std::int32_t r = RG7LockMasterBuffer(frame, kSize);
  if (r == 0) r = RG7SetGrabWindow(0, 0, kWidth, kHeight, &desc);
  if (r == 0) r = RG7SetMasterModeTransfer(&desc, frame, kSize, kWidth);
  constexpr std::uint32_t kTransferDone = RG7_IRQ_DMA_DONE_0 | RG7_IRQ_DMA_DONE_1;
  if (r == 0) r = RG7ConnectInterruptToCallback(0, OnTransferDone, kTransferDone, 0);
  if (r == 0) r = RG7IRQEnable(kTransferDone, reinterpret_cast<std::uintptr_t>(OnTransferDone));
  if (r == 0) r = RG7StartGrab(0, 1);
  DWORD start = GetTickCount();
  while (r == 0 && !g_frameDone.load() && GetTickCount() - start < 2000) Sleep(1);
  std::vector<std::uint8_t> grabbed;
  if (r != 0 || !g_frameDone.load()) {
    std::printf("grab failed: %d\n", r != 0 ? r : RG7_ERR_NO_SIGNAL);
    RG7StopGrab(nullptr, 0);
  } else {
    grabbed.assign(frame, frame + kSize);
    std::uint32_t sum = 2166136261u;  // FNV-1a
    for (std::uint32_t i = 0; i < kSize; ++i) sum = (sum ^ frame[i]) * 16777619u;
    std::printf("grabbed one frame: %ux%u YUV 4:2:2, %u bytes, checksum %08X, fields %lld and %lld\n", kWidth, kHeight,
                kSize, sum, static_cast<long long>(sim::DecodeFieldStamp(frame, sim::CapturePixel::kYuv422)),
                static_cast<long long>(sim::DecodeFieldStamp(frame + kWidth * 2, sim::CapturePixel::kYuv422)));
  }
  RG7DisconnectInterruptCallback(0, OnTransferDone);
  RG7UnlockMasterBuffer(frame, kSize);
  std::free(frame);
  return grabbed;
}

// The grabbed frame as 24-bit rows (B, G, R), converted by the library's export.
std::vector<std::uint8_t> ToRgb24(const std::vector<std::uint8_t>& yuv) {
  std::vector<std::uint8_t> rgb(std::size_t{kWidth} * kHeight * 3);
  for (std::uint32_t y = 0; y < kHeight; ++y)
    RG7Yuv2Rgb888CCIR601_422(yuv.data() + std::size_t{y} * kWidth * 2, rgb.data() + std::size_t{y} * kWidth * 3,
                             kWidth);
  return rgb;
}

void Report(const char* name, std::int32_t result) { std::printf("  %s: %d\n", name, result); }

// A 24-bit test frame (B, G, R): eight colour bars over a grey ramp.
std::vector<std::uint8_t> TestFrame(std::uint32_t width, std::uint32_t height) {
  static const std::uint8_t kBars[8][3] = {{191, 191, 191}, {0, 191, 191}, {191, 191, 0}, {0, 191, 0},
                                           {191, 0, 191},   {0, 0, 191},   {191, 0, 0},   {0, 0, 0}};
  std::vector<std::uint8_t> frame(std::size_t{width} * height * 3);
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t x = 0; x < width; ++x) {
      std::uint8_t* p = &frame[(std::size_t{y} * width + x) * 3];
      if (y < height * 3 / 4)
        std::memcpy(p, kBars[x * 8 / width], 3);
      else
        std::memset(p, static_cast<int>(x * 255 / (width - 1)), 3);
    }
  return frame;
}

}  // namespace

int main() {
  sim::PowerOn();
  rg7::LibraryAttach();  // what the loader does when it maps the library

  int boards = RG7Open(258);
  std::printf("RG7Open: %d board(s), SDK version 0x%04X\n", boards, RG7InquireSDKVersion());
  if (boards <= 0) {
    rg7::LibraryDetach();
    return 1;
  }
  for (rg7::BoardNode* n = rg7::FirstBoardNode(); n; n = n->next) {
    std::uint16_t vendor = static_cast<std::uint16_t>(n->config[0x2C] | n->config[0x2D] << 8);
    std::printf("  board %u: bus %u device %u subsystem %04X:%04X variant %u\n", n->board_index, n->bus, n->device,
                vendor, n->subsystem_id, n->subsystem_id >> 6);
  }
  std::printf("host bridge: %s\n", rg7::ChipsetName());

  std::uint32_t id = 0;
  GetPCIDWord(0x00, &id);
  std::printf("board 0 PCI id: %08X, interrupt line %d\n", id, rg7::GetBoardIrqLine());
  std::printf("bridge fields after RG7Init:\n");
  ShowField("VXP_GIO_CTL_A");
  ShowField("VXP_PCI_SYS_MEM_PAGE");
  ShowField("VXP_OUT_CFG_OUT_DAT_FMT");
  ShowField("VXP_HCROP_LEFT");
  ShowField("VXP_HCROP_RIGHT");
  ShowField("VXP_VCROP_TOP");
  ShowField("VXP_VCROP_BOTTOM");

  const char* decoder = RG7HasBt829A() ? "Bt829A" : RG7HasVPC32x5C() ? "VPC32x5C" : "none";
  std::printf("decoder: %s\n", decoder);
  for (std::uint16_t channel = 0; channel < 4; ++channel) {
    RG7SetVideoChannel(channel);
    std::printf("  channel %u: %s\n", channel, RG7TestVideoSignalPresence(0) == 0 ? "signal" : "no signal");
  }
  RG7SetVideoChannel(0);
  std::printf("standard of camera 0: %s\n", RG7GetVideoStandard(0) == 0 ? "NTSC" : "PAL");
  std::vector<std::uint8_t> grabbed = GrabOneFrame();

  std::printf("saving the grabbed frame and a test frame:\n");
  if (!grabbed.empty()) {
    std::vector<std::uint8_t> rgb = ToRgb24(grabbed);
    Report("frame.bmp", RG7Memory2BMPfile("frame.bmp", 0, 0, kWidth, kHeight, kWidth, 4, rgb.data()));
  }
  std::vector<std::uint8_t> test = TestFrame(kWidth, kHeight);
  Report("frame.tga", RG7Memory2TGAfile("frame.tga", 0, 0, kWidth, kHeight, kWidth, 4, test.data()));
  Report("frame.tif", RG7Memory2TIFFfile("frame.tif", 0, 0, kWidth, kHeight, kWidth, 4, test.data()));

  std::printf("RG7Close: %d\n", RG7Close());
  rg7::LibraryDetach();
  sim::PowerOff();
  return 0;
}
