// The file transfer: one frame as a BMP file under the name the application set,
// and its set-up.
#include <cstring>

#include "platform/file_io.h"
#include "twain_ds/transfer_image.h"
#include "twain_ds/transfer_state.h"
#include "twain_ds/triplet_dispatch.h"
#include "twain_ds/twain_error.h"

namespace twain_ds {

TW_STR255 g_xferFileName = "";

namespace {

// What MSG_GET reports, whatever MSG_SET named, and where a transfer writes
// before any MSG_SET.
constexpr char kDefaultFileName[] = "c:\\twain.bmp";

// The named file is there afterwards; a new one is left empty.
bool FileExistsOrCreated(const char* name) {
  HFILE file = _lopen(name, OF_READ | OF_SHARE_DENY_NONE);
  if (file == HFILE_ERROR) file = _lcreat(name, 0);
  if (file == HFILE_ERROR) return false;
  _lclose(file);
  return true;
}

}  // namespace

// The state rules let this run in states 400 to 700.
TW_UINT16 SetupFileXferMsg(const TwainTriplet& triplet) {
  switch (triplet.MSG) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT: {
      if (!triplet.pData) return FailTriplet(TWCC_BADVALUE, kLeadSetupFileXfer);
      TW_SETUPFILEXFER setup{};
      std::memcpy(setup.FileName, kDefaultFileName, sizeof kDefaultFileName);
      setup.Format = TWFF_BMP;
      setup.VRefNum = 0;
      std::memcpy(triplet.pData, &setup, sizeof setup);
      return TWRC_SUCCESS;
    }
    case MSG_SET: {
      if (!triplet.pData) return FailTriplet(TWCC_BADVALUE, kLeadSetupFileXfer);
      TW_SETUPFILEXFER setup;
      std::memcpy(&setup, triplet.pData, sizeof setup);
      // Only BMP is written, whatever the Format asks for.
      std::memcpy(g_xferFileName, setup.FileName, sizeof g_xferFileName - 1);
      g_xferFileName[sizeof g_xferFileName - 1] = '\0';
      if (!FileExistsOrCreated(g_xferFileName)) return FailTriplet(TWCC_BADVALUE, kLeadCreateFile);
      return TWRC_SUCCESS;
    }
    default:
      return FailTriplet(TWCC_BADPROTOCOL, kLeadSetupFileXfer);
  }
}

// The state rules let this run in states 600 and 700.
TW_UINT16 ImageFileXferMsg(const TwainTriplet& triplet) {
  if (triplet.MSG != MSG_GET) return FailTriplet(TWCC_BADPROTOCOL, kLeadImageInfo);
  const CaptureBackend* backend = CurrentBuild().backend;
  const char* name = g_xferFileName[0] != '\0' ? g_xferFileName : kDefaultFileName;
  RecaptureBeforeRead();
  if (!backend || !backend->write_file || !backend->write_file(name)) return TWRC_FAILURE;
  return TWRC_XFERDONE;
}

}  // namespace twain_ds
