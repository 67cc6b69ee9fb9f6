// The private window messages by which the MCI driver commands the preview window.
// Where two words travel in lParam, the first named is the high word.
#pragma once

#include "platform/user.h"

namespace mci_preview {

constexpr UINT PVM_APPLY_SETTINGS = WM_USER + 0x01;
constexpr UINT PVM_START_PREVIEW = WM_USER + 0x02;
constexpr UINT PVM_SET_POSITION = WM_USER + 0x04;  // x, y
constexpr UINT PVM_SET_SIZE = WM_USER + 0x05;      // width, height
constexpr UINT PVM_START_GRAB = WM_USER + 0x08;
constexpr UINT PVM_STOP_GRAB = WM_USER + 0x09;
constexpr UINT PVM_SNAPSHOT = WM_USER + 0x0F;    // low word: a global atom naming the file
constexpr UINT PVM_ARM_STROBE = WM_USER + 0x10;  // delay count, width count
constexpr UINT PVM_DISARM_STROBE = WM_USER + 0x11;

constexpr char kPreviewClassName[] = "MCIQSIWClass";
constexpr char kPreviewWindowName[] = "MCI Preview Window";

}  // namespace mci_preview
