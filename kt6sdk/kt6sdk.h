// The exports of the 650-series library (KT6DLL95, KT6DLLNT): every call returns
// a KT6ErrorCode or the value it names. The FIO* calls of the buffered image-file
// layer leave the library too (kt6sdk/imagefile/fio.h).
#pragma once

#include <cstdint>

#include "kt6sdk/imagefile/fio.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6_records.h"

#define KT6_API __attribute__((visibility("default")))

// Called on the interrupt thread with the interrupt status ANDed with the caller's
// mask (KT6IRQCallback), or with what happened (KT6NotifyCallback).
using KT6IRQCallback = void (*)(std::uint32_t status);
using KT6NotifyCallback = void (*)(std::uint32_t what);

extern "C" {

// The board that drives a monitor, opened for this process (one board per
// process); sdkVersion is the caller's SDK version, which selects the layout of
// KT6InquireBoardInfo's record.
KT6_API std::int32_t KT6Open(std::uint16_t sdkVersion);
KT6_API std::int32_t KT6Close();
// The linear address of the board's frame buffer, also written to `base` unless it
// is null; 0xFFFFFFFF (-1) when no board is open.
KT6_API std::uint32_t KT6GetVRAMBase(std::uint32_t* base);
KT6_API std::int32_t KT6InquireBoardInfo(BoardInfo* out);
KT6_API std::uint16_t KT6InquireSDKVersion();
// WIN.INI's root of the installation ("." without one), cut and terminated within
// `size`; the characters copied.
KT6_API std::uint32_t KT6GetKT600RootPath(char* buffer, std::uint32_t size);
// The VESA mode code of a desktop of this size and depth (all 0: the desktop's
// own), written to `code` when there is one. Always 1.
KT6_API std::int32_t KT6GetDisplayModeCode(std::uint16_t* code, std::uint32_t width, std::uint32_t height,
                                           std::uint32_t bitsPerPixel);

// Page lists and the bus masters (kt6sdk/page_lists.h has the records).
struct ScatterList;
// The physical runs of a range as the driver locks it, into `out` (a 4112-byte
// PageList) with the run count cut to what the list holds: 0, or -1 when the
// driver refuses.
KT6_API std::int32_t KT6GetPageList(const void* address, std::uint32_t size, void* out);
// The locked range's scatter list in global memory, its runs trimmed to 32-byte
// alignment and cut into pieces of at most 4 KB; null when the driver refuses, the
// memory is short, or the runs are too short for the trim or too many for the list.
KT6_API ScatterList* KT6BuildScatterList(const void* address, std::uint32_t size);
// Unlocks the list's range and frees the list: 0, or -1 (also for a null list).
KT6_API std::int32_t KT6ReleasePageList(ScatterList* list);
// Up to 75 reads of the command engine's status until all of `mask` is set: 0, or
// -35 when it never is.
KT6_API std::int32_t KT6WaitBusMaster(std::uint32_t mask);
// Move the list's pieces through the command engine, at the video frame's offset
// in display memory, at high priority: the display address first or the physical
// one first. 0; -1 for a null list.
KT6_API std::int32_t KT6BusMasterFrameFirst(const ScatterList* list);
KT6_API std::int32_t KT6BusMasterPhysicalFirst(const ScatterList* list);
// The bytes of the list's first `count` pieces.
KT6_API std::uint32_t KT6ScatterListBytes(const ScatterList* list, std::uint32_t count);
// Copies the range into the video frame with the transfer engine, 4 KB a move:
// 0, -1 when the driver gives no page list, -35 when the engine does not answer
// within about 200 ms.
KT6_API std::int32_t KT6TransferToFrame(const void* address, std::uint32_t size);

// The caller's interrupt callback. It is called once per KT6IRQEnable: the next
// KT6IRQEnable or KT6IRQDisable lets it be called again. A null argument is -34;
// any other removes whatever callback is installed.
KT6_API std::int32_t KT6IRQInstallCallback(KT6IRQCallback callback);
KT6_API std::int32_t KT6IRQDeInstallCallback(KT6IRQCallback callback);
KT6_API void KT6IRQEnable(std::uint16_t mask);
KT6_API void KT6IRQDisable(std::uint16_t mask);

// Waits of at most 200 ms each (-35 after that: no video signal).
KT6_API std::int32_t KT6WaitForVSync();
// Waits for the vertical sync after which the field is not `field`.
KT6_API std::int32_t KT6WaitForField(std::uint16_t field);
// 32 after a vertical sync of field 1, else 16.
KT6_API std::int32_t KT6InquireField();
KT6_API std::int32_t KT6WaitForVGAVRetrace();

// Capture (after KT6Init; -1 before). Modes: 1 continuous, 2 one frame (returns
// stopped), 0x80 continuous at once without field alignment; +0x04 skips the
// camera check, +0x8000 the alignment wait of board types 3-5 (and the frame-end
// wait of a one-frame stop). -35 without a camera or video, -34 for any other mode.
KT6_API std::int32_t KT6StartGrab(std::uint32_t mode);
// Freezes capture at the end of the frame: -1 when no grab runs.
KT6_API std::int32_t KT6StopGrab();
// The end of the frame under way, by the grab window's kind: -1 for a single field
// or without a grab; a window of no kind returns its flags.
KT6_API std::int32_t KT6WaitForFrameEnd();

// PCI configuration space of the device at (bus, device), function 0. The Windows
// 95 build reads through the PCI BIOS, takes bus 255 with device 255 for the pair
// of the previous access, and answers 1 for a failed call; the Windows NT build
// sends one request to its driver with bus and device as given, and answers a
// failure with the driver's Win32 error code. Neither failure value can be told
// from a register that holds it.
KT6_API std::uint32_t read_confreg_byte(std::uint32_t reg, std::uint32_t bus, std::uint32_t device);
KT6_API std::uint32_t read_confreg_word(std::uint32_t reg, std::uint32_t bus, std::uint32_t device);
KT6_API std::uint32_t read_confreg_dword(std::uint32_t reg, std::uint32_t bus, std::uint32_t device);
// 0, or the failure value of the reads.
KT6_API std::uint32_t write_confreg_byte(std::uint32_t value, std::uint32_t reg, std::uint32_t bus,
                                         std::uint32_t device);
KT6_API std::uint32_t write_confreg_word(std::uint32_t value, std::uint32_t reg, std::uint32_t bus,
                                         std::uint32_t device);
KT6_API std::uint32_t write_confreg_dword(std::uint32_t value, std::uint32_t reg, std::uint32_t bus,
                                          std::uint32_t device);

// The chip's register block: offsets such as 0x8184 or 0xFF20; the low 16 bits are
// taken with bit 15 set, so 0x0184 reaches 0x8184. Without a mapped board a read
// gives 0 and a write does nothing. The write returns the value written.
KT6_API std::uint32_t KT6MemoryMappedIORead(std::uint32_t offset);
KT6_API std::uint32_t KT6MemoryMappedIOWrite(std::uint32_t offset, std::uint32_t value);
// Indexed VGA registers through the register window: the index goes to `port`
// (0x3C4 sequencer, 0x3D4 CRTC), the value to or from port + 1.
KT6_API std::uint16_t KT6ProgramIORead(std::uint16_t port, std::uint8_t index);
KT6_API void KT6ProgramIOWrite(std::uint16_t port, std::uint8_t index, std::uint8_t value);

// The output look-up table (after KT6Init; -1 before). A bank above 3 (board types
// below 4) or above 15 is -34. KT6LUTLoad writes `count` entries from `start` on
// from the table's first `count` bytes, cut at entry 255; a null table is -34.
KT6_API std::int32_t KT6LUTEnable();
KT6_API std::int32_t KT6LUTDisable();
KT6_API std::int32_t KT6SelectLUTBank(std::uint8_t bank);
KT6_API std::int32_t KT6LUTLoadOneEntry(std::int32_t index, std::uint8_t value);
KT6_API std::int32_t KT6LUTLoad(std::uint8_t start, std::uint16_t count, const std::uint8_t* table);

// An SAA7110 register (board types 1 and 2): non-zero when the driver took the
// transaction; 0 for a register past 0x34, which is not sent.
KT6_API std::int32_t KT6SetSAA7110Reg(std::uint8_t reg, std::uint8_t value);
// The shadow of a register (0 past 0x34): the chip is never read back.
KT6_API std::uint8_t KT6GetSAA7110Reg(std::uint8_t reg);
// Registers 0x00-0x19 and 0x20-0x34 from a 53-byte image, in ascending order; a
// null image loads nothing.
KT6_API void KT6InitSAA7110(const std::uint8_t* table);
// The decoder's power-down bit set and cleared; results as KT6SetSAA7110Reg.
KT6_API std::int32_t KT6DisableSAA7110();
KT6_API std::int32_t KT6EnableSAA7110();
// The video controls 50-59 of board types 1 and 2: -1 for any other control, else
// 0. Control 57 can be set but not read (-1); a null out is -34. Control 54 reads
// the current channel's gain and stores nothing for a channel without one.
KT6_API std::int32_t KT6SetSAA7110Control(std::uint16_t control, std::uint8_t value);
KT6_API std::int32_t KT6GetSAA7110Control(std::uint16_t control, std::uint8_t* out);

// The video port's horizontal decimation (after KT6Init): 0xFFFFFFFF freezes the
// capture, 0x12345678 resumes it with the stored decimation, any other value is
// stored (and applied unless the capture is frozen).
KT6_API std::int32_t KT6SetHDecimation(std::uint32_t value);

// The memory clock (after KT6Open; -1 before). Setting a clock no divider reaches
// (16.875 MHz or less, 270 MHz or more) is -34 and programs nothing.
KT6_API std::int32_t KT6GetMemoryClock(float* mhz);
KT6_API std::int32_t KT6SetMemoryClock(float mhz);
KT6_API std::int32_t KT6WritePLL(std::uint8_t sr10, std::uint8_t sr11);

// The board programmed from a board configuration (null: the defaults KT6Open
// loaded): -1 before KT6Open; -36 when no capture buffer could be placed (the rest
// is programmed). KT6InquireConfig copies the 513 bytes out (-1 before KT6Init).
KT6_API std::int32_t KT6Init(const BoardConfig* config);
KT6_API std::int32_t KT6InquireConfig(BoardConfig* out);

// The capture buffer in display memory (after KT6Init). Type must be 1; offset 0
// places it, width and height 0 follow the grab window and the decimation. -34 for
// a frame that does not fit display memory where the caller puts it, -36 when it
// cannot be placed.
KT6_API std::int32_t KT6SetVideoFrame(std::uint16_t type, std::uint32_t offset, std::uint16_t width,
                                      std::uint16_t height);
KT6_API std::int32_t KT6GetVideoFrame(std::uint16_t* type, std::uint32_t* offset, std::uint16_t* width,
                                      std::uint16_t* height);

// The compose mode (0x5000000 colour key, 0x6000000 chroma key, anything else the
// desktop alone) and its keys. A key set while another mode is on is kept for it.
// The index key needs an 8-bit desktop (-31) and a chip and record that have it (-37).
KT6_API std::int32_t KT6SetOverlayMode(std::uint32_t mode);
KT6_API std::int32_t KT6GetOverlayMode(std::uint32_t* mode);
KT6_API std::int32_t KT6SetColorKey(std::uint32_t key);
KT6_API std::int32_t KT6GetColorKey(std::uint32_t* key);
KT6_API std::int32_t KT6SetRGBColorKey(std::uint8_t r, std::uint8_t g, std::uint8_t b);
KT6_API std::int32_t KT6GetRGBColorKey(std::uint8_t* r, std::uint8_t* g, std::uint8_t* b);
KT6_API std::int32_t KT6SetIndexKey(std::uint8_t index);
KT6_API std::int32_t KT6GetIndexKey(std::uint8_t* index);
KT6_API std::int32_t KT6SetChromaKey(std::uint32_t low, std::uint32_t high);
KT6_API std::int32_t KT6GetChromaKey(std::uint32_t* low, std::uint32_t* high);
KT6_API std::int32_t KT6SetYUVChromaKey(std::uint8_t low1, std::uint8_t low2, std::uint8_t low3, std::uint8_t high1,
                                        std::uint8_t high2, std::uint8_t high3);
KT6_API std::int32_t KT6GetYUVChromaKey(std::uint8_t* low1, std::uint8_t* low2, std::uint8_t* low3,
                                        std::uint8_t* high1, std::uint8_t* high2, std::uint8_t* high3);

// The grab window (flags 0x04/0x08/0x10 the field to start on, 0x20/0x40/0x100 the
// frame kind) and the decimation masks; the getters store through non-null pointers.
KT6_API std::int32_t KT6SetGrabWindow(std::uint16_t flags, std::uint16_t x, std::uint16_t y, std::uint16_t width,
                                      std::uint16_t height);
KT6_API std::int32_t KT6GetGrabWindow(std::uint16_t* flags, std::uint16_t* x, std::uint16_t* y,
                                      std::uint16_t* width, std::uint16_t* height);
KT6_API std::int32_t KT6SetScaleFactors(std::uint32_t hmask, std::uint32_t vmask);
KT6_API std::int32_t KT6GetScaleFactors(std::uint32_t* hmask, std::uint32_t* vmask);
// What the overlay shows of the video frame, where on the screen, and enlarged how
// much (sizes of 0 or a reduction are -34).
KT6_API std::int32_t KT6SetImageFrameOnVideoFrame(std::uint16_t x, std::uint16_t y, std::uint16_t width,
                                                  std::uint16_t height);
KT6_API std::int32_t KT6GetImageFrameOnVideoFrame(std::uint16_t* x, std::uint16_t* y, std::uint16_t* width,
                                                  std::uint16_t* height);
KT6_API std::int32_t KT6SetImageWndOnScreen(std::int16_t x, std::int16_t y);
KT6_API std::int32_t KT6GetImageWndOnScreen(std::int16_t* x, std::int16_t* y, std::uint16_t* width,
                                            std::uint16_t* height);
KT6_API std::int32_t KT6SetZoomFactorsEx(std::uint16_t srcW, std::uint16_t dstW, std::uint16_t srcH,
                                         std::uint16_t dstH);
KT6_API std::int32_t KT6GetZoomFactorsEx(std::uint16_t* srcW, std::uint16_t* dstW, std::uint16_t* srcH,
                                         std::uint16_t* dstH);
// Factors 1, 2 and 4 each way; others are kept and change nothing.
KT6_API std::int32_t KT6SetZoomFactors(std::uint16_t horizontal, std::uint16_t vertical);
KT6_API std::int32_t KT6GetZoomFactors(std::uint16_t* horizontal, std::uint16_t* vertical);
// The VIP output of board type 3 (-37 on the others).
KT6_API std::int32_t KT6SetVIPMode(std::uint8_t mode);
KT6_API std::int32_t KT6GetVIPMode(std::uint8_t* mode);
// The TV standard (0 525 lines, 1 625 lines, 2 the user camera from board type 4
// on), switched under a running capture; the mirror mode of board types 3-5.
KT6_API std::int32_t KT6SetTVStandard(std::uint8_t standard);
KT6_API std::int32_t KT6GetTVStandard(std::uint8_t* standard);
KT6_API std::int32_t KT6SetMirrorMode(std::uint8_t mode);
KT6_API std::int32_t KT6GetMirrorMode(std::uint8_t* mode);
// The camera interface's line-frequency range (in board-control register 2 when
// `apply` is 1) and its PLL words from a camera's timing (board types 4-5): -34
// for a timing no setting fits, nothing changed.
KT6_API std::int32_t KT6SetClockRange(float khz, std::uint8_t apply);
KT6_API std::int32_t KT6SetPixelClock(const CameraTiming* timing);

// Lines of the capture buffer in its capture format (after KT6Init): -34 for a null
// buffer, a frame that does not lie in display memory, y above the frame's height
// or x above its width; count is cut at the frame's right edge, and a line at the
// frame's height copies nothing.
KT6_API std::int32_t KT6RdPixelLine(std::uint16_t x, std::uint16_t y, std::uint16_t count, void* buffer);
KT6_API std::int32_t KT6WtPixelLine(std::uint16_t x, std::uint16_t y, std::uint16_t count, const void* buffer);

// Pixel runs between YUV 4:2:2 (Y0 Cb Y1 Cr, CCIR 601 studio ranges) and RGB (B, G,
// R unless the order flag says R, G, B). A chroma pair is taken at each pixel after
// which an odd number remain: an odd count starts with neutral chroma. Each returns
// 0.
KT6_API std::uint32_t KT6Yuv2Rgb(const void* src, void* dst, std::uint32_t count, std::uint16_t bits,
                                 std::uint16_t order);  // 24 bits, else 32
KT6_API std::uint32_t KT6Yuv2Rgb32bitCCIR601_422(const void* src, void* dst, std::uint32_t count,
                                                 std::uint16_t order);  // 1: R, G, B; fourth byte untouched
KT6_API std::uint32_t KT6Yuv2Rgb24bitCCIR601_422(const void* src, void* dst, std::uint32_t count,
                                                 std::uint16_t order);
// A whole image to a bottom-up B, G, R image of rows of width x 3 bytes.
KT6_API std::uint32_t KT6Yuv2Rgb24bitDIBCCIR601_422(const void* src, void* dst, std::uint16_t width,
                                                    std::uint16_t height);
// Full-range Y0 Y1 Cb Cr to R, G, B, x.
KT6_API std::uint32_t KT6Yuv2Rgb32bitCCIR601_YYUV(const void* src, void* dst, std::uint32_t count);
KT6_API std::uint32_t KT6Rgb2Yuv(const void* src, void* dst, std::uint32_t count, std::uint16_t bits,
                                 std::uint16_t order);
// Source pixels of (bits & 0xFFFF) / 8 bytes; order non-zero: R, G, B.
KT6_API std::uint32_t KT6Rgb2YuvCCIR601_422(const void* src, void* dst, std::uint32_t count, std::uint32_t bits,
                                            std::uint16_t order);
// 24-bit RGB to one grey byte a pixel, never 0 or 255.
KT6_API std::uint32_t KT6Rgb2YCCIR601(const void* src, void* dst, std::uint32_t count, std::uint8_t order);

// JPEG files through the codec library ZPJPEG32, loaded for each call and freed
// before it returns (-37 when it or its entry point is missing). The name must end
// in ".jpg". Save formats: 4 as the pixel mode, 5 grey, 7 colour; options 1 to 4
// are the codec's (quality, progressive and optimised bits, restart interval,
// dots per inch). Load modes: 1 colour, 2 grey; load value 1 the codec's DCT
// method. The inquiry reports kind 16 for colour, 8 for grey. JPEG calls run one at
// a time.
KT6_API std::int32_t KT6JPEGSave(const char* file, std::uint16_t x, std::uint16_t y, std::uint16_t width,
                                 std::uint16_t height, std::uint16_t format, std::uint8_t option1, std::uint8_t option2,
                                 std::uint32_t option3, std::uint16_t option4);
KT6_API std::int32_t KT6JPEGLoad(const char* file, std::uint16_t srcX, std::uint16_t srcY, std::uint16_t dstX,
                                 std::uint16_t dstY, std::uint16_t width, std::uint16_t height, std::uint16_t mode,
                                 std::uint32_t loadValue1, std::uint32_t loadValue2);
KT6_API std::int32_t KT6InquireJPEGVals(const char* file, std::uint32_t* width, std::uint32_t* height,
                                        std::uint32_t* kind, std::uint32_t* xDensity, std::uint32_t* yDensity);

}  // extern "C"

// What KT6InquireTIFFHeaderInfo reports of a TIFF file's directory (byte-packed).
#pragma pack(push, 1)
struct TIFFHeaderInfo {
  std::uint32_t image_width;
  std::uint32_t image_length;
  std::uint16_t bits_per_sample;
  std::uint16_t samples_per_pixel;
  std::uint16_t compression;
  std::uint32_t rows_per_strip;
  std::uint16_t photometric;
  std::uint16_t ycbcr_subsampling_horizontal;
  std::uint16_t ycbcr_subsampling_vertical;
  std::uint16_t ycbcr_positioning;
};
#pragma pack(pop)
static_assert(sizeof(TIFFHeaderInfo) == 26);

extern "C" {

// Rectangles of the capture buffer (after KT6Init). Flags: 1 grey, 2 YUV 4:2:2, 8
// 32-bit B, G, R, x, none 24-bit B, G, R; 4 bottom-up. -34 for a null buffer, a
// frame that does not lie in display memory, y above the frame's height or x above
// its width; the rectangle is cut at the frame's edges and the caller's buffer
// holds it packed at the cut size. -2, nothing written, without a row buffer.
KT6_API std::int32_t KT6RdPixelRect(std::uint16_t x, std::uint16_t y, std::uint16_t width, std::uint16_t height,
                                    void* buffer, std::uint8_t flags);
KT6_API std::int32_t KT6WtPixelRect(std::uint16_t x, std::uint16_t y, std::uint16_t width, std::uint16_t height,
                                    const void* buffer, std::uint8_t flags);
// The rectangle filled with one value: YUV pixels c0, c1 (even) and c0, c2 (odd);
// 24-bit c2, c1, c0; 32-bit c2, c1, c0, 0.
KT6_API std::int32_t KT6SetArea2Value(std::uint16_t x, std::uint16_t y, std::uint16_t width, std::uint16_t height,
                                      std::uint8_t c0, std::uint8_t c1, std::uint8_t c2);

// Image files (after KT6Init, but for KT6InquireTIFFHeaderInfo). Width, height and
// bits of a file's header: -3 for a depth the format's exports do not know.
KT6_API std::int32_t KT6InquireBMPVals(const char* file, std::uint16_t* width, std::uint16_t* height,
                                       std::uint16_t* bits);
KT6_API std::int32_t KT6InquireTGAVals(const char* file, std::uint16_t* width, std::uint16_t* height,
                                       std::uint16_t* bits);
KT6_API std::int32_t KT6InquireTIFFVals(const char* file, std::uint16_t* width, std::uint16_t* height,
                                        std::uint16_t* bits);
KT6_API std::int32_t KT6InquireTIFFHeaderInfo(const char* file, TIFFHeaderInfo* info);
// A rectangle of the capture frame, clipped to it, into a new file. Format 4 is as
// the pixel mode, 5 grey, 6 and 9 24-bit, 7 YCbCr (TIFF), 8 16-bit and 10 32-bit
// (TGA). -34 for a name without the format's extension, a format the file or the
// pixel mode lacks, or a rectangle that leaves nothing of the frame; no file is
// created then.
KT6_API std::int32_t KT6BMPSave(const char* file, std::uint16_t x, std::uint16_t y, std::uint16_t width,
                                std::uint16_t height, std::uint16_t format);
KT6_API std::int32_t KT6TGASave(const char* file, std::uint16_t x, std::uint16_t y, std::uint16_t width,
                                std::uint16_t height, std::uint16_t format);
KT6_API std::int32_t KT6TIFFSave(const char* file, std::uint16_t x, std::uint16_t y, std::uint16_t width,
                                 std::uint16_t height, std::uint16_t format);
// A rectangle of a file from (srcX, srcY) into the frame at (dstX, dstY), clipped to
// both; mode 1 colour, 2 grey. -34 for a bad name or mode, or a rectangle that
// leaves nothing; -8 for a depth the load has no conversion for; -6 when the file
// ends before its rows.
KT6_API std::int32_t KT6BMPLoad(const char* file, std::uint16_t srcX, std::uint16_t srcY, std::uint16_t dstX,
                                std::uint16_t dstY, std::uint16_t width, std::uint16_t height, std::uint16_t mode);
KT6_API std::int32_t KT6TGALoad(const char* file, std::uint16_t srcX, std::uint16_t srcY, std::uint16_t dstX,
                                std::uint16_t dstY, std::uint16_t width, std::uint16_t height, std::uint16_t mode);
KT6_API std::int32_t KT6TIFFLoad(const char* file, std::uint16_t srcX, std::uint16_t srcY, std::uint16_t dstX,
                                 std::uint16_t dstY, std::uint16_t width, std::uint16_t height, std::uint16_t mode);

// The strobe output (board types 1 to 5; -37 on type 0) and single capture.

// Programs and enables the strobe (after KT6Init): the set-up word's low half
// completed with the defaults of the choices left open; callback 0 keeps the one
// installed. -1 while a strobe is enabled, -34 for conflicting choices or a delay or
// width its counter cannot hold.
KT6_API std::int32_t KT6EnableStrobe(std::uint32_t flags, std::uint32_t delay, std::uint32_t width,
                                     KT6NotifyCallback callback);
// Disables it and removes its callback; -1 when none is enabled.
KT6_API std::int32_t KT6DisableStrobe();
// The strobe line on and off by software; done later, not failed, while another
// thread has the serial bus.
KT6_API std::int32_t KT6SetStrobe();
KT6_API std::int32_t KT6ResetStrobe();
// Arms the board's own strobe again after its pulse (board types 1 and 2).
KT6_API std::int32_t KT6ResetHWStrobe();
// The line the strobe drives (board types 3 to 5; lines 0-1 on type 3, 0-3 on 4
// and 5); bit 7 changes it even under an enabled strobe. The getter: types 4 and 5.
KT6_API std::int32_t KT6SetStrobeChannel(std::uint8_t channel);
KT6_API std::int32_t KT6GetStrobeChannel(std::uint8_t* channel);
// The enabled strobe's set-up word (board types 3 to 5); -1 when none is enabled.
KT6_API std::int32_t KT6InquireStrobeParameters(std::uint32_t* setup);
// Installs the strobe callback while no strobe and no callback is (board types 3
// to 5). It is told 8 when the strobe's width ends and 4 when its frame is captured.
KT6_API std::int32_t KT6SetStrobeCallback(KT6NotifyCallback callback);
// Captures one frame (any board type): KT6IsCaptureDone gives 0 until it is in, then
// 16 or 32 as its last field was field 1 or field 0; the callback is told the same,
// once.
KT6_API std::int32_t KT6SingleCapture(KT6NotifyCallback callback);
KT6_API std::int32_t KT6IsCaptureDone();

// The trigger, event and other-event inputs (board types 1 to 5; -37 on type 0).
// -1 before KT6Init (the channels and KT6Enable/DisableOtherEvent: before KT6Open).

// The trigger input programmed from the set-up word (low 16 bits; bit 15 enables it
// again while it is enabled) and enabled; the callback gets 2 or 4 per trigger.
KT6_API std::int32_t KT6EnableTrigger(std::uint32_t setup, KT6NotifyCallback callback);
KT6_API std::int32_t KT6DisableTrigger();
// Re-arms the trigger after it fired (deferred while the serial bus is taken).
KT6_API std::int32_t KT6ResetTrigger();
// One pulse of the trigger input by software.
KT6_API std::int32_t KT6GenerateTrigger();
// The event input, as the trigger; the callback gets 1 per event.
KT6_API std::int32_t KT6EnableEvent(std::uint16_t setup, KT6NotifyCallback callback);
KT6_API std::int32_t KT6DisableEvent();
KT6_API std::int32_t KT6ResetEvent();
KT6_API std::int32_t KT6GenerateEvent();
// The line of the trigger and of the event (types 3 to 5; bit 7 changes it even
// while the input is enabled).
KT6_API std::int32_t KT6SetTriggerChannel(std::uint8_t channel);
KT6_API std::int32_t KT6SetEventChannel(std::uint8_t channel);
KT6_API std::int32_t KT6GetTriggerChannel(std::uint8_t* channel);
KT6_API std::int32_t KT6GetEventChannel(std::uint8_t* channel);
// A line other than the event's as a further event (types 3 to 5): one callback
// serves all of them and gets the lines' sources that fired.
KT6_API std::int32_t KT6EnableOtherEvent(std::uint8_t line, std::uint8_t setup, KT6NotifyCallback callback);
KT6_API std::int32_t KT6DisableOtherEvent(std::uint8_t line);
KT6_API std::int32_t KT6ResetOtherEvent(std::uint8_t line);
KT6_API std::int32_t KT6GenerateOtherEvent(std::uint8_t line);
// The stored set-up word of an enabled input (types 3 to 5).
KT6_API std::int32_t KT6InquireTriggerParameters(std::uint16_t* setup);
KT6_API std::int32_t KT6InquireEventParameters(std::uint16_t* setup);
// A callback installed while the input is disabled (types 3 to 5).
KT6_API std::int32_t KT6SetTriggerCallback(KT6NotifyCallback callback);
KT6_API std::int32_t KT6SetEventCallback(KT6NotifyCallback callback);

// The video input: channel, camera detection, pixel mode and picture controls, by
// the device the board type and configuration word route the input through (-37
// where none serves the call).

// Picture controls (values: the low byte). A getter without a device for its
// control is -37, except VCR mode and AGC, which leave `out` as it was and give 0.
// Contrast is at most 127.
KT6_API std::int32_t KT6SetHue(std::uint32_t value);
KT6_API std::int32_t KT6GetHue(std::uint8_t* out);
KT6_API std::int32_t KT6SetSaturation(std::uint32_t value);
KT6_API std::int32_t KT6GetSaturation(std::uint8_t* out);
KT6_API std::int32_t KT6SetVCRMode(std::uint32_t value);
KT6_API std::int32_t KT6GetVCRMode(std::uint8_t* out);
KT6_API std::int32_t KT6SetAGC(std::uint32_t value);
KT6_API std::int32_t KT6GetAGC(std::uint8_t* out);
KT6_API std::int32_t KT6SetContrast(std::uint32_t value);
KT6_API std::int32_t KT6GetContrast(std::uint8_t* out);
// On the one-set camera interface the brightness is the current input's offset.
KT6_API std::int32_t KT6SetBrightness(std::uint32_t value);
KT6_API std::int32_t KT6GetBrightness(std::uint8_t* out);
// A channel's gain (channel 4: the current one; -34 for a channel the board does
// not have). On the one-set camera interface the codes 0, 15, 31, 47 and 63 are
// -3, 0, 3, 6 and 9 dB.
KT6_API std::int32_t KT6SetGain(std::uint8_t channel, std::uint32_t value);
KT6_API std::int32_t KT6GetGain(std::uint8_t channel, std::uint8_t* out);
// A channel's A/D references (board type 2 through the front end, types 4 and 5
// on the one-set camera interface); the bottom never exceeds the top.
KT6_API std::int32_t KT6SetTopBottom(std::uint8_t channel, std::uint8_t top, std::uint8_t bottom);
KT6_API std::int32_t KT6GetTopBottom(std::uint8_t channel, std::uint8_t* top, std::uint8_t* bottom);
// 1 grey, 2 YUV 4:2:2, 4 RGB 24-bit, 8 RGB 32-bit. Only grey and YUV swap; a
// change to grey while no grab runs first sets the frame's chroma to 128.
KT6_API std::int32_t KT6SetPixelMode(std::uint8_t mode);
KT6_API std::int32_t KT6GetPixelMode(std::uint8_t* mode);
// Selects the input (bit 7 ignored); capture is frozen for the switch. -35 when the
// new input shows no signal: it stays selected.
KT6_API std::int32_t KT6SetChannel(std::uint8_t channel);
KT6_API std::int32_t KT6GetChannel(std::uint8_t* channel);
// 0 when the channel (4: the current one) has a signal, -35 when not; the board is
// back on its previous channel afterwards. -1 while a grab runs.
KT6_API std::int32_t KT6DetectCamera(std::uint8_t channel);

// The camera-interface configuration word and camera notify.
// The word says how a camera is connected (analog or digital port, converter,
// format, sync, pixel clock, clamp); the set turns it into the register tables
// that the next KT6Init writes and sets the pixel mode (after KT6Open; -37 on
// board types 0, 1 and 3; -38 on type 2 for an RGB or second-decoder word). The
// get returns the word as it was given (-37 on types 0 and 1; -1 for NULL).
KT6_API std::int32_t KT6SetBoardConfig(std::uint32_t word);
KT6_API std::int32_t KT6GetBoardConfig(std::uint32_t* word);
// The callback of the camera-signal poll, told 1 when the signal goes and 2 when
// it is back. The disable removes it and leaves notification as [Camera]
// DetectEnable of KT-600.INI says (0: off). Both after KT6Open.
KT6_API std::int32_t KT6EnableCameraNotify(KT6NotifyCallback callback);
KT6_API std::int32_t KT6DisableCameraNotify();

}  // extern "C"
