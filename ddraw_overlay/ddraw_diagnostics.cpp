#include "ddraw_overlay/ddraw_diagnostics.h"

#include <cstdio>
#include <string>

#include "ddraw_overlay/zpddraw.h"
#include "platform/ddraw.h"

namespace zpddraw {
namespace {

const char* ResultText(HRESULT result) {
  switch (result) {
    case DDERR_GENERIC:
      return "DDERR_GENERIC";
    case DDERR_INVALIDPARAMS:
      return "DDERR_INVALIDPARAMS";
    case DDERR_OUTOFMEMORY:
      return "DDERR_OUTOFMEMORY";
    case DDERR_UNSUPPORTED:
      return "DDERR_UNSUPPORTED";
    case E_ACCESSDENIED:
      return "E_ACCESSDENIED";
    case E_NOINTERFACE:
      return "E_NOINTERFACE";
    case DDERR_INVALIDCAPS:
      return "DDERR_INVALIDCAPS";
    case DDERR_INVALIDPIXELFORMAT:
      return "DDERR_INVALIDPIXELFORMAT";
    case DDERR_INVALIDRECT:
      return "DDERR_INVALIDRECT";
    case DDERR_NOCOLORKEYHW:
      return "DDERR_NOCOLORKEYHW";
    case DDERR_NOOVERLAYHW:
      return "DDERR_NOOVERLAYHW";
    case DDERR_OUTOFVIDEOMEMORY:
      return "DDERR_OUTOFVIDEOMEMORY";
    case DDERR_SURFACELOST:
      return "DDERR_SURFACELOST";
    case DDERR_WASSTILLDRAWING:
      return "DDERR_WASSTILLDRAWING";
    case DDERR_XALIGN:
      return "DDERR_XALIGN";
    case DDERR_NOTAOVERLAYSURFACE:
      return "DDERR_NOTAOVERLAYSURFACE";
    default:
      return nullptr;
  }
}

}  // namespace

// Diagnostics never reach the user; the sink is where a debugging build would print.
void DDrawTrace(const char*) {}

void ReportDDrawError(HRESULT result) {
  std::string text = "DDraw interface return error: ";
  if (const char* name = ResultText(result)) {
    text += name;
  } else {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(result));
    text += hex;
  }
  text += "\n";
  DDrawTrace(text.c_str());
}

std::int32_t DDrawResultToError(HRESULT result) {
  switch (result) {
    case S_OK:
      return ZPDDRAW_OK;
    case CO_E_NOTINITIALIZED:
      return ZPDDRAW_ERR_NOT_INITIALISED;
    case E_ACCESSDENIED:
      return ZPDDRAW_ERR_ACCESS_DENIED;
    case E_OUTOFMEMORY:
      return ZPDDRAW_ERR_NO_MEMORY;
    default:
      return ZPDDRAW_ERR_FAILED;
  }
}

}  // namespace zpddraw
