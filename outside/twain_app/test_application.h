// The project's own TWAIN application, for tests and examples. It talks to data
// sources only through DSM_Entry of the test source manager, as a TWAIN
// application does: opens the manager with a window of its own as the parent,
// lists and opens a source, negotiates capabilities, enables the source, runs its
// message loop passing every message through MSG_PROCESSEVENT, waits there for the
// source's notifications, takes native, memory and file transfers ending each with
// MSG_ENDXFER, disables and closes. Every container and bitmap it receives is
// copied and then released with free(), as a Linux application does. What it
// received is kept for the caller.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "outside/twain_app/received_data.h"
#include "platform/user.h"
#include "twain_ds/twain.h"

namespace twain_app {

// A capability answer: the container as the source built it, copied before the
// handle was freed (its length from the container's own header), and the size of
// the block the source allocated for it (0 when the platform does not know it).
struct CapabilityAnswer {
  TW_UINT16 rc = TWRC_FAILURE;
  TW_UINT16 con_type = 0;
  bool has_container = false;
  Bytes container;
  std::size_t allocated = 0;
};

// One DAT_IMAGEMEMXFER call: its result, the record as the source left it and the
// bytes it wrote into the buffer.
struct MemoryStrip {
  TW_UINT16 rc = TWRC_FAILURE;
  TW_IMAGEMEMXFER record{};
  Bytes data;
};

struct MemoryTransfer {
  TW_UINT16 info_rc = TWRC_FAILURE;
  TW_IMAGEINFO info{};
  std::vector<MemoryStrip> strips;
  // The result that ended the transfer: TWRC_XFERDONE, or the failure.
  TW_UINT16 rc = TWRC_FAILURE;
};

struct NativeTransfer {
  TW_UINT16 rc = TWRC_FAILURE;
  // The packed DIB (BITMAPINFOHEADER, palette, rows), copied out of the handle.
  Bytes dib;
};

struct FileTransfer {
  TW_UINT16 rc = TWRC_FAILURE;
  std::string path;
  Bytes contents;
};

class TestApplication {
 public:
  // productName: the application's ProductName in its identity.
  explicit TestApplication(const char* productName = "Test application");
  // Closes what is still open: the source, then the manager, then the window.
  ~TestApplication();
  TestApplication(const TestApplication&) = delete;
  TestApplication& operator=(const TestApplication&) = delete;

  // DG_CONTROL / DAT_PARENT / MSG_OPENDSM with the application's window.
  TW_UINT16 OpenManager();
  TW_UINT16 CloseManager();
  // MSG_GETFIRST, then MSG_GETNEXT until TWRC_ENDOFLIST.
  std::vector<TW_IDENTITY> ListSources();
  // MSG_OPENDS of the listed source with this ProductName (the first listed one
  // when empty).
  TW_UINT16 OpenSource(const std::string& productName = {});
  TW_UINT16 CloseSource();

  // A triplet to the open source, through the manager.
  TW_UINT16 Send(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
  // DAT_STATUS MSG_GET of the source (or of the manager); the code is kept.
  TW_UINT16 SourceCondition();
  TW_UINT16 ManagerCondition();

  // MSG_GET, MSG_GETCURRENT or MSG_GETDEFAULT of a capability.
  CapabilityAnswer GetCapability(TW_UINT16 cap, TW_UINT16 msg = MSG_GET);
  // MSG_SET (or MSG_RESET) with a container of these bytes in a block of the
  // application's own, freed after the call.
  TW_UINT16 SetCapability(TW_UINT16 cap, TW_UINT16 conType, const Bytes& container, TW_UINT16 msg = MSG_SET);
  TW_UINT16 SetOneValue(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 item, TW_UINT16 msg = MSG_SET);

  // DAT_USERINTERFACE MSG_ENABLEDS with the application's window as hParent.
  TW_UINT16 Enable(bool showUi, bool modalUi = false);
  TW_UINT16 Disable(bool showUi = true);

  // Runs the message loop until the source has sent the notification
  // (MSG_XFERREADY or MSG_CLOSEDSREQ) since the last wait, or timeoutMs passed.
  bool WaitForNotification(TW_UINT16 message, DWORD timeoutMs);
  // Runs the message loop for a while.
  void RunMessageLoop(DWORD milliseconds);

  // Transfers of the image the source has ready; each ends with DAT_PENDINGXFERS
  // MSG_ENDXFER when it succeeded.
  NativeTransfer TakeNative();
  // Strips into a buffer of bufferBytes (0: the source's preferred size).
  MemoryTransfer TakeMemory(TW_UINT32 bufferBytes = 0);
  // DAT_SETUPFILEXFER MSG_SET with the path and TWFF_BMP, then DAT_IMAGEFILEXFER.
  FileTransfer TakeFile(const std::string& path);
  TW_UINT16 EndTransfer(TW_PENDINGXFERS* pending = nullptr);

  HWND window() const { return window_; }
  TW_IDENTITY& identity() { return identity_; }
  TW_IDENTITY& source() { return source_; }
  bool manager_open() const { return manager_open_; }
  bool source_open() const { return source_open_; }

  // What was received, oldest first.
  const std::vector<TW_UINT16>& notifications() const { return notifications_; }
  const std::vector<TW_UINT16>& conditions() const { return conditions_; }
  const std::vector<NativeTransfer>& native_transfers() const { return native_transfers_; }
  const std::vector<MemoryTransfer>& memory_transfers() const { return memory_transfers_; }
  const std::vector<FileTransfer>& file_transfers() const { return file_transfers_; }

 private:
  bool ProcessEvent(MSG* msg);

  TW_IDENTITY identity_{};
  TW_IDENTITY source_{};
  HWND window_ = nullptr;
  bool manager_open_ = false;
  bool source_open_ = false;
  std::vector<TW_UINT16> notifications_;
  std::size_t notifications_seen_ = 0;
  std::vector<TW_UINT16> conditions_;
  std::vector<NativeTransfer> native_transfers_;
  std::vector<MemoryTransfer> memory_transfers_;
  std::vector<FileTransfer> file_transfers_;
};

}  // namespace twain_app
