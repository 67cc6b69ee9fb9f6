// A data source small enough to check the source manager and the test application
// against: one application, a 3 x 3 grey picture by native, memory and file
// transfer, and a few capabilities. Its identity comes from the build.
#include <cstdio>
#include <cstring>

#include "platform/global_memory.h"
#include "platform/module_loader.h"
#include "twain_ds/twain.h"

#define FAKE_SOURCE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int kSide = 3;
constexpr TW_UINT32 kRowBytes = kSide;
constexpr TW_UINT32 kBmpStride = 4;

// The states of the source: 3 closed, 4 open, 5 enabled, 6 transfer ready, 7 transferring.
int g_state = 3;
TW_IDENTITY g_self{};
TW_IDENTITY g_app{};
TW_UINT16 g_condition = TWCC_SUCCESS;
TW_UINT32 g_nextRow = 0;
char g_fileName[sizeof(TW_STR255)] = "fake_source.bmp";
TW_INT16 g_xferCount = -1;
const TW_IDENTITY* g_lastOrigin = nullptr;

TW_UINT16 Fail(TW_UINT16 condition) {
  g_condition = condition;
  return TWRC_FAILURE;
}

TW_UINT8 Pixel(int row, int column) { return static_cast<TW_UINT8>(row * 16 + column); }

// Through the manager the platform finds by its Windows name, as the real sources do.
TW_UINT16 Notify(TW_UINT16 message) {
  HMODULE manager = LoadLibraryA("TWAIN_32.DLL");
  if (!manager) return TWRC_FAILURE;
  auto entry = reinterpret_cast<DSMENTRYPROC>(GetProcAddress(manager, "DSM_Entry"));
  TW_UINT16 rc = entry ? entry(&g_self, &g_app, DG_CONTROL, DAT_NULL, message, nullptr) : TWRC_FAILURE;
  FreeLibrary(manager);
  return rc;
}

TW_UINT16 Identity(const TW_IDENTITY* origin, TW_UINT16 msg, TW_MEMREF data) {
  if (msg == MSG_GET) {
    TW_IDENTITY identity{};
    identity.Version.MajorNum = 1;
    identity.ProtocolMajor = FAKE_PROTOCOL_MAJOR;
    identity.ProtocolMinor = FAKE_PROTOCOL_MINOR;
    identity.SupportedGroups = FAKE_GROUPS;
    std::snprintf(identity.Manufacturer, sizeof(TW_STR32), "Fake");
    std::snprintf(identity.ProductFamily, sizeof(TW_STR32), "Fake");
    std::snprintf(identity.ProductName, sizeof(TW_STR32), "%s", FAKE_PRODUCT_NAME);
    std::memcpy(data, &identity, sizeof identity);
    return TWRC_SUCCESS;
  }
  if (msg == MSG_OPENDS) {
    if (g_state != 3) return Fail(TWCC_MAXCONNECTIONS);
    if (!origin) return Fail(TWCC_BADVALUE);
    std::memcpy(&g_self, data, sizeof g_self);
    std::memcpy(&g_app, origin, sizeof g_app);
    g_state = 4;
    return TWRC_SUCCESS;
  }
  // Closing discards whatever was going on.
  if (msg == MSG_CLOSEDS && g_state >= 4) {
    g_state = 3;
    return TWRC_SUCCESS;
  }
  return Fail(TWCC_SEQERROR);
}

// A ONEVALUE, an ENUMERATION in a block larger than it, and an ARRAY whose count
// claims more items than its block holds.
TW_UINT16 Capability(TW_UINT16 msg, TW_MEMREF data) {
  TW_CAPABILITY capability;
  std::memcpy(&capability, data, sizeof capability);
  if (msg == MSG_SET && capability.Cap == CAP_XFERCOUNT) {
    TW_ONEVALUE value;
    std::memcpy(&value, capability.hContainer, sizeof value);
    g_xferCount = static_cast<TW_INT16>(value.Item);
    return TWRC_SUCCESS;
  }
  if (msg != MSG_GET) return Fail(TWCC_BADPROTOCOL);
  HGLOBAL block = nullptr;
  if (capability.Cap == CAP_XFERCOUNT) {
    TW_ONEVALUE value{TWTY_INT16, static_cast<TW_UINT16>(g_xferCount)};
    block = GlobalAlloc(GHND, sizeof value);
    std::memcpy(block, &value, sizeof value);
    capability.ConType = TWON_ONEVALUE;
  } else if (capability.Cap == ICAP_PIXELTYPE) {
    TW_ENUMERATION header{TWTY_UINT16, 2, 0, 0, {}};
    TW_UINT16 items[2] = {TWPT_GRAY, TWPT_RGB};
    block = GlobalAlloc(GHND, 64);
    std::memcpy(block, &header, 14);
    std::memcpy(static_cast<char*>(block) + 14, items, sizeof items);
    capability.ConType = TWON_ENUMERATION;
  } else if (capability.Cap == CAP_SUPPORTEDCAPS) {
    TW_ARRAY header{TWTY_UINT16, 100, {}};
    TW_UINT16 items[2] = {CAP_XFERCOUNT, ICAP_PIXELTYPE};
    block = GlobalAlloc(GHND, 6 + sizeof items);
    std::memcpy(block, &header, 6);
    std::memcpy(static_cast<char*>(block) + 6, items, sizeof items);
    capability.ConType = TWON_ARRAY;
  } else {
    return Fail(TWCC_BADCAP);
  }
  capability.hContainer = block;
  std::memcpy(data, &capability, sizeof capability);
  return TWRC_SUCCESS;
}

TW_UINT16 UserInterface(TW_UINT16 msg, TW_MEMREF data) {
  TW_USERINTERFACE ui;
  std::memcpy(&ui, data, sizeof ui);
  if (msg == MSG_ENABLEDS && g_state == 4) {
    g_state = 5;
    // With its dialog shown the user closes it at once; without, the picture is ready.
    if (ui.ShowUI) return Notify(MSG_CLOSEDSREQ) == TWRC_SUCCESS ? TWRC_SUCCESS : Fail(TWCC_BUMMER);
    g_state = 6;
    g_nextRow = 0;
    return Notify(MSG_XFERREADY) == TWRC_SUCCESS ? TWRC_SUCCESS : Fail(TWCC_BUMMER);
  }
  if (msg == MSG_DISABLEDS && g_state == 5) {
    g_state = 4;
    return TWRC_SUCCESS;
  }
  return Fail(TWCC_SEQERROR);
}

TW_UINT16 NativeTransfer(TW_MEMREF data) {
  constexpr TW_UINT32 kPalette = 256 * 4;
  BYTE header[40] = {};
  TW_UINT32 values[] = {40, kSide, kSide};
  std::memcpy(header, values, sizeof values);
  header[12] = 1;  // planes
  header[14] = 8;  // bits per pixel, palette of 2^8 since biClrUsed is 0
  auto* dib = static_cast<BYTE*>(GlobalAlloc(GHND, sizeof header + kPalette + kBmpStride * kSide));
  std::memcpy(dib, header, sizeof header);
  for (int i = 0; i < 256; ++i) std::memset(dib + sizeof header + i * 4, i, 3);
  // Bottom-up rows, each padded to four bytes.
  for (int row = 0; row < kSide; ++row)
    for (int column = 0; column < kSide; ++column)
      dib[sizeof header + kPalette + (kSide - 1 - row) * kBmpStride + column] = Pixel(row, column);
  TW_HANDLE handle = dib;
  std::memcpy(data, &handle, sizeof handle);
  return TWRC_XFERDONE;
}

TW_UINT16 MemoryStrip(TW_MEMREF data) {
  TW_IMAGEMEMXFER record;
  std::memcpy(&record, data, sizeof record);
  TW_UINT32 rows = record.Memory.Length / kRowBytes;
  if (rows == 0) return Fail(TWCC_BADVALUE);
  rows = rows < kSide - g_nextRow ? rows : kSide - g_nextRow;
  auto* out = static_cast<TW_UINT8*>(record.Memory.TheMem);
  for (TW_UINT32 row = 0; row < rows; ++row)
    for (int column = 0; column < kSide; ++column)
      out[row * kRowBytes + column] = Pixel(static_cast<int>(g_nextRow + row), column);
  record.Compression = TWCP_NONE;
  record.BytesPerRow = kRowBytes;
  record.Columns = kSide;
  record.Rows = rows;
  record.XOffset = 0;
  record.YOffset = g_nextRow;
  record.BytesWritten = rows * kRowBytes;
  std::memcpy(data, &record, sizeof record);
  g_nextRow += rows;
  g_state = 7;
  return g_nextRow == kSide ? TWRC_XFERDONE : TWRC_SUCCESS;
}

TW_UINT16 FileTransfer() {
  std::FILE* file = std::fopen(g_fileName, "wb");
  if (!file) return Fail(TWCC_OPERATIONERROR);
  std::fputs("BMfake", file);
  std::fclose(file);
  return TWRC_XFERDONE;
}

TW_UINT16 Image(TW_UINT16 dat, TW_MEMREF data) {
  if (g_state < 6) return Fail(TWCC_SEQERROR);
  if (dat == DAT_IMAGEINFO) {
    TW_IMAGEINFO info{{72, 0}, {72, 0}, kSide, kSide, 1, {8}, 8, 0, TWPT_GRAY, TWCP_NONE};
    std::memcpy(data, &info, sizeof info);
    return TWRC_SUCCESS;
  }
  if (dat == DAT_IMAGEMEMXFER) return MemoryStrip(data);
  if (g_state != 6) return Fail(TWCC_SEQERROR);
  g_state = 7;
  if (dat == DAT_IMAGENATIVEXFER) return NativeTransfer(data);
  if (dat == DAT_IMAGEFILEXFER) return FileTransfer();
  return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 Control(const TW_IDENTITY* origin, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  switch (dat) {
    case DAT_IDENTITY:
      return Identity(origin, msg, data);
    case DAT_STATUS: {
      TW_STATUS status{g_condition, 0};
      g_condition = TWCC_SUCCESS;
      std::memcpy(data, &status, sizeof status);
      return TWRC_SUCCESS;
    }
    case DAT_EVENT: {
      TW_EVENT event;
      std::memcpy(&event, data, sizeof event);
      event.TWMessage = MSG_NULL;
      std::memcpy(data, &event, sizeof event);
      return TWRC_NOTDSEVENT;
    }
    default:
      break;
  }
  if (g_state < 4) return Fail(TWCC_SEQERROR);
  switch (dat) {
    case DAT_CAPABILITY:
      return Capability(msg, data);
    case DAT_USERINTERFACE:
      return UserInterface(msg, data);
    case DAT_SETUPMEMXFER: {
      TW_SETUPMEMXFER setup{kRowBytes, 64, 2 * kRowBytes + 2};
      std::memcpy(data, &setup, sizeof setup);
      return TWRC_SUCCESS;
    }
    case DAT_SETUPFILEXFER: {
      TW_SETUPFILEXFER setup;
      std::memcpy(&setup, data, sizeof setup);
      std::memcpy(g_fileName, setup.FileName, sizeof g_fileName);
      g_fileName[sizeof g_fileName - 1] = '\0';
      return TWRC_SUCCESS;
    }
    case DAT_PENDINGXFERS:
      if (msg != MSG_ENDXFER || g_state < 6) return Fail(TWCC_SEQERROR);
      std::memset(data, 0, sizeof(TW_PENDINGXFERS));
      g_state = 5;
      return TWRC_SUCCESS;
    default:
      return Fail(TWCC_BADPROTOCOL);
  }
}

}  // namespace

FAKE_SOURCE_EXPORT TW_UINT16 DS_Entry(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                      TW_MEMREF pData) {
  g_lastOrigin = pOrigin;
  if (!pData && !(DG == DG_IMAGE && DAT == DAT_IMAGEFILEXFER)) return Fail(TWCC_BADVALUE);
  if (DG == DG_CONTROL) return Control(pOrigin, DAT, MSG, pData);
  if (DG == DG_IMAGE) return Image(DAT, pData);
  return Fail(TWCC_BADPROTOCOL);
}

// The origin of the last triplet, for tests of what the manager passes on.
FAKE_SOURCE_EXPORT const TW_IDENTITY* FakeSourceLastOrigin() { return g_lastOrigin; }
