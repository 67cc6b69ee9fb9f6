// Public interface of the 700-series (RG-700) SDK library.
#pragma once

#include <cstdint>

#define RG7_API __attribute__((visibility("default")))

// Status codes of the exports: 0 success, a small negative code for failure.
enum RG7ErrorCode : std::int32_t {
  RG7_OK = 0,
  RG7_ERR_DRIVER = -100,     // driver request failed
  RG7_ERR_PARAMETER = -101,  // bad parameter
  RG7_ERR_NOT_OPEN = -102,   // board not open, no board or driver missing
  RG7_ERR_NO_MEMORY = -107,
  RG7_ERR_NOT_CONFIGURED = -108,  // camera not configured or not initialised
  RG7_ERR_ARMED = -111,
  RG7_ERR_PAGE_TABLE = -112,  // buffer too large for the transfer page table
  RG7_ERR_GRAB_RUNNING = -113,
  RG7_ERR_GRAB_NOT_RUNNING = -114,
  RG7_ERR_NO_SIGNAL = -115,
  RG7_ERR_DECODER = -200,  // not supported by the fitted decoder
};

// An interrupt callback: the status bits under the callback's enabled mask, and the
// context given at connection (pointer-sized, so that callers can pass a pointer).
typedef std::uint32_t (*RG7InterruptCallback)(std::uint32_t status, std::uintptr_t context);

// Interrupt bits.
enum RG7InterruptBits : std::uint32_t {
  RG7_IRQ_DMA_DONE_0 = 0x10,
  RG7_IRQ_DMA_DONE_1 = 0x20,
  RG7_IRQ_ODD_FIELD = 0x200,
  RG7_IRQ_EVEN_FIELD = 0x400,
  RG7_IRQ_DECODER = 0x800,
  RG7_IRQ_EVENT = 0x1000000,
  RG7_IRQ_TRIGGER = 0x2000000,
};

// The caller's grab descriptor, filled by RG7SetGrabWindow; the master-mode
// transfers write the pitch back into it.
struct GrabWindowDesc {
  std::uint32_t frame;  // interlaced frame: two fields per image
  std::uint32_t unused0;
  std::uint32_t unused1;
  std::uint32_t x;
  std::uint32_t y;
  std::uint32_t width;
  std::uint32_t height;
  std::uint32_t pixel_code;
  std::uint32_t pitch;  // pixels
  std::uint32_t window_id;
};
static_assert(sizeof(GrabWindowDesc) == 40);

// One field's master-mode transfer values. The target is the caller's own memory,
// so its address is a full pointer.
struct MasterTransferControl {
  std::uint32_t unused[3];
  void* target;
  std::uint32_t target_size;
  std::uint32_t line_length;  // bytes
  std::uint32_t line_count;
  std::uint32_t stride;  // bytes
};

// The owner that stands for the library itself in RG7IRQEnable/RG7IRQDisable.
#define RG7_SDK_OWNER ((std::uintptr_t)31260)

extern "C" {

// Raw bridge registers of the current board: 0-24 are dwords, 25 and up bytes.
RG7_API std::uint32_t IHW_SetRegister(std::uint32_t index, std::uint32_t value);
RG7_API std::uint32_t IHW_GetRegister(std::uint32_t index);

// PCI configuration dwords of the current board. Both return 0.
RG7_API std::uint32_t SetPCIDWord(std::uint32_t offset, std::uint32_t value);
RG7_API std::uint32_t GetPCIDWord(std::uint32_t offset, std::uint32_t* value);

// Interrupt callbacks of the current board. An owner is a connected callback, an
// internal handler, or RG7_SDK_OWNER.
RG7_API std::int32_t RG7ConnectInterruptToCallback(std::int32_t slot, RG7InterruptCallback callback,
                                                   std::uint32_t allowedMask, std::uintptr_t context);
RG7_API std::int32_t RG7DisconnectInterruptCallback(std::int32_t slot, RG7InterruptCallback callback);
RG7_API std::int32_t RG7IRQEnable(std::uint32_t bits, std::uintptr_t owner);
RG7_API std::int32_t RG7IRQDisable(std::uint32_t bits, std::uintptr_t owner);
RG7_API std::int32_t RG7IRQStatus(std::uint32_t mask);
RG7_API std::int32_t RG7IRQReset(std::uint32_t bits);

// Master mode: the board's video DMA writes into a pinned buffer of the caller.
RG7_API std::int32_t RG7LockMasterBuffer(void* address, std::uint32_t size);
RG7_API std::int32_t RG7UnlockMasterBuffer(void* address, std::uint32_t size);
RG7_API std::int32_t RG7SetMasterModeTransfer(GrabWindowDesc* desc, void* buffer, std::uint32_t size,
                                              std::uint32_t pitch);
RG7_API std::int32_t RG7SetMasterModeTransferField(GrabWindowDesc* desc, void* buffer, std::uint32_t size,
                                                   std::uint32_t pitch, std::uint32_t field);
RG7_API std::int32_t RG7GetMasterModeTransferControl(std::uint32_t field, MasterTransferControl* control);
RG7_API std::int32_t RG7SetMasterModeTransferControl(std::uint32_t field, const MasterTransferControl* control);

// Decoder registers over the current board's serial bus. The writes report
// nothing; with no board selected no transaction is made and the reads give 0.
// An FP address is sent as its low 8 bits.
RG7_API void RG7OutByteBt829A(std::uint8_t reg, std::uint8_t value);
RG7_API std::uint8_t RG7InByteBt829A(std::uint8_t reg);
RG7_API void RG7OutByteVPC32x5C(std::uint8_t subaddress, std::uint8_t value);
RG7_API std::uint8_t RG7InByteVPC32x5C(std::uint8_t subaddress);
RG7_API void RG7OutWordVPC32x5C(std::uint8_t subaddress, std::uint16_t value);
RG7_API std::uint16_t RG7InWordVPC32x5C(std::uint8_t subaddress);
RG7_API void RG7OutWordVPC32x5C_FP(std::uint16_t fpAddress, std::uint16_t value);
RG7_API std::uint16_t RG7InWordVPC32x5C_FP(std::uint16_t fpAddress);

// Library version, board open, initialisation and close; current board and camera.
RG7_API std::int16_t RG7InquireSDKVersion();
RG7_API std::int32_t RG7Open(std::uint16_t version);
RG7_API std::int32_t RG7Close();
RG7_API std::int32_t RG7Init();
RG7_API std::int32_t RG7LoadDefault(std::uint16_t standard);
RG7_API std::int32_t RG7SetCurrentBoard(std::uint16_t board);
RG7_API std::int32_t RG7SetCurrentCamera(std::uint16_t camera);

// Video input controls of the current camera.
RG7_API std::int32_t RG7HasBt829A();
RG7_API std::int32_t RG7HasVPC32x5C();
RG7_API std::int32_t RG7Set2SVideoMode(std::uint32_t mode);
RG7_API std::int32_t RG7Get2SVideoMode();
RG7_API std::int32_t RG7SetVideoStandard(std::uint16_t standard);
RG7_API std::int32_t RG7GetVideoStandard(std::uint16_t camera);
RG7_API std::int32_t RG7SetVideoChannel(std::uint16_t channel);
RG7_API std::int32_t RG7GetVideoChannel();
RG7_API std::int32_t RG7SetVCRMode(std::int32_t mode);
RG7_API std::int32_t RG7GetVCRMode();
RG7_API std::int32_t RG7SetBrightness(std::uint32_t value);
RG7_API std::int32_t RG7GetBrightness();
RG7_API std::int32_t RG7SetContrast(std::uint32_t value);
RG7_API std::int32_t RG7GetContrast();
RG7_API std::int32_t RG7SetHue(std::uint32_t value);
RG7_API std::int32_t RG7GetHue();
RG7_API std::int32_t RG7SetSaturation(std::uint32_t value);
RG7_API std::int32_t RG7GetSaturation();
RG7_API std::int32_t RG7SetAGC(std::uint32_t on);
RG7_API std::int32_t RG7GetAGC();
RG7_API std::int32_t RG7SetInputEarlySync(std::uint32_t on);
RG7_API std::int32_t RG7GetInputEarlySync();
RG7_API std::int32_t RG7TestVideoSignal(std::uint32_t unused);
RG7_API std::int32_t RG7TestVideoSignalPresence(std::uint32_t unused);

// Output stage: look-up table, pixel mode, mirror, scaling, DIB line order.
RG7_API std::int32_t RG7LUTLoad(std::int32_t start, std::int32_t count, const std::int16_t* table);
RG7_API std::int32_t RG7LUTLoadLinear();
RG7_API std::int32_t RG7LUTLoadInversedLinear();
RG7_API std::int32_t RG7SetPixelMode(std::uint32_t code);
RG7_API std::int32_t RG7GetPixelMode();
RG7_API std::int32_t RG7GetPixelSize();
RG7_API std::int32_t RG7SetMirrorMode(std::uint32_t on);
RG7_API std::int32_t RG7GetMirrorMode();
RG7_API std::int32_t RG7SetScaleFactor(float horizontal, float vertical);
RG7_API std::int32_t RG7SetHScaleFactor(float factor);
RG7_API std::int32_t RG7SetVScaleFactor(float factor);
RG7_API std::int32_t RG7GetScaleFactor(float* horizontal, float* vertical);
RG7_API std::int32_t RG7SetDIBMode(std::uint32_t on);

// Grab window and grab control.
RG7_API std::int32_t RG7SetGrabWindow(std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height,
                                      GrabWindowDesc* desc);
RG7_API std::int32_t RG7StartGrab(std::int32_t flags, std::int32_t field);
RG7_API std::int32_t RG7StartGrabField(std::int32_t flags, std::int32_t field);
RG7_API std::int32_t RG7StopGrab(RG7InterruptCallback callback, std::uintptr_t context);
RG7_API std::int32_t RG7WaitForVSync();
RG7_API std::int32_t RG7GetVSyncInfo();
RG7_API std::int32_t RG7GetFieldInfo();

// Event and trigger inputs.
RG7_API std::int32_t RG7SetEventPolarity(std::int32_t polarity);
RG7_API std::int32_t RG7GetEventPolarity();
RG7_API std::int32_t RG7SetTriggerPolarity(std::int32_t polarity);
RG7_API std::int32_t RG7GetTriggerPolarity();
RG7_API std::int32_t RG7EnableEvent(std::int32_t polarity, RG7InterruptCallback callback, std::uintptr_t context);
RG7_API std::int32_t RG7EnableTrigger(std::int32_t polarity, RG7InterruptCallback callback, std::uintptr_t context);
RG7_API std::int32_t RG7DisableEvent();
RG7_API std::int32_t RG7DisableTrigger();
RG7_API std::int32_t RG7ResetEvent();
RG7_API std::int32_t RG7ResetTrigger();
// A software edge on the input: its polarity bit flipped and restored.
RG7_API std::int32_t RG7GenerateEvent();
RG7_API std::int32_t RG7GenerateTrigger();

// Strobe output. Mode 0x100: idle level 0 and active level 1 (else the reverse);
// mode 0x01: call back at the end of the pulse instead of grabbing one frame.
RG7_API std::int32_t RG7SetStrobe(std::uint32_t on);
RG7_API std::int32_t RG7EnableStrobe(std::int32_t mode, std::uint32_t delay1, std::uint32_t delay2,
                                     RG7InterruptCallback callback, std::uintptr_t context);
RG7_API std::int32_t RG7DisableStrobe();

// YUV 4:2:2 rows (Y0 U Y1 V, CCIR 601 ranges) converted for the caller; counts are
// pixels. The 32-bit forms write B, G, R and leave each pixel's fourth byte as it
// was; RG7YuvCCIR601_422ToRgb888 is one of them (4 bytes a pixel).
RG7_API void RG7Yuv2RgbCCIR601_422(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count);
RG7_API void RG7Yuv2Rgb888xCCIR601_422(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count);
RG7_API void RG7YuvCCIR601_422ToRgb888x(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count);
RG7_API void RG7YuvCCIR601_422ToRgb888(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count);
// 24-bit B, G, R.
RG7_API void RG7Yuv2Rgb24bitCCIR601_422(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count);
RG7_API void RG7Yuv2Rgb888CCIR601_422(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count);
// RGB555 words.
RG7_API void RG7Yuv2Rgb555CCIR601_422(const std::uint8_t* source, std::uint16_t* destination, std::int32_t count);
RG7_API void RG7YuvCCIR601_422ToRgb555(const std::uint8_t* source, std::uint16_t* destination, std::int32_t count);
// Grey: the luma bytes.
RG7_API void RG7YuvCCIR601_422ToY(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count);

// Image files. A memory image is a buffer of pixels of an RG7PixelCode (0-6; the
// 16-bit grey codes 7-9 are refused with -101), whose line i starts at
// buffer + (x + i x pitch) pixels; y is not used. Loads take the file's top-left
// corner, clipped to width x height. Results: 0, -101 bad code or argument, -107
// out of memory, 3 a BMP depth the load does not read, or the file layer's codes
// (-1 malformed file, -2, -3, -5 cannot open or create, -6 read, -7 write error).
// The calls share one object inside the library and run one at a time.
RG7_API std::int32_t RG7InquireBMPVals(const char* file, std::uint16_t* width, std::uint16_t* height,
                                       std::uint16_t* bits);
RG7_API std::int32_t RG7InquireTGAVals(const char* file, std::uint16_t* width, std::uint16_t* height,
                                       std::uint16_t* bits);
RG7_API std::int32_t RG7InquireTIFFVals(const char* file, std::uint16_t* width, std::uint16_t* height,
                                        std::uint16_t* bits);
RG7_API std::int32_t RG7BMPfile2Memory(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                                       std::uint32_t height, std::uint32_t pitch, std::uint32_t code, void* buffer);
// Into a bottom-up DIB: the picture's top line lands in row height - 1; rows are
// pitch pixels apart.
RG7_API std::int32_t RG7BMPfile2MemoryDIB(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                                          std::uint32_t height, std::uint32_t pitch, std::uint32_t code, void* bits);
RG7_API std::int32_t RG7Memory2BMPfile(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                                       std::uint32_t height, std::uint32_t pitch, std::uint32_t code,
                                       const void* buffer);
RG7_API std::int32_t RG7TGAfile2Memory(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                                       std::uint32_t height, std::uint32_t pitch, std::uint32_t code, void* buffer);
RG7_API std::int32_t RG7Memory2TGAfile(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                                       std::uint32_t height, std::uint32_t pitch, std::uint32_t code,
                                       const void* buffer);
RG7_API std::int32_t RG7TIFFfile2Memory(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                                        std::uint32_t height, std::uint32_t pitch, std::uint32_t code, void* buffer);
RG7_API std::int32_t RG7Memory2TIFFfile(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                                        std::uint32_t height, std::uint32_t pitch, std::uint32_t code,
                                        const void* buffer);

}  // extern "C"
