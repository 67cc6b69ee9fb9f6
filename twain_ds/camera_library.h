// The camera-control operations as the shared code and the 650-series back-end
// call them. The build without camera control links no camera library and never
// reaches these calls; their references are weak, so that the module still binds
// all of its symbols when it is loaded.
#pragma once

#include "outside/camera_control/camera_control.h"

#pragma weak IsCameraOpen
#pragma weak OpenCamera
#pragma weak CloseCamera
#pragma weak GetCameraPort
#pragma weak GetCameraCabilities
#pragma weak LiveMode
#pragma weak FlashMode
#pragma weak MenuOn
#pragma weak MenuOff
#pragma weak IsMenuShowing
#pragma weak FocusAuto
#pragma weak FocusManual
#pragma weak FocusNear
#pragma weak FocusFar
#pragma weak ZoomIn
#pragma weak ZoomOut
#pragma weak BrightnessUp
#pragma weak BrightnessDown
#pragma weak RedUp
#pragma weak RedDown
#pragma weak BlueUp
#pragma weak BlueDown
#pragma weak ShutterUp
#pragma weak ShutterDown
#pragma weak IrisUp
#pragma weak IrisDown
#pragma weak AGCUp
#pragma weak AGCDown
#pragma weak StopAction
#pragma weak setWantControlDialogFlag
#pragma weak getWantControlDialogFlag
#pragma weak openControlDialog
#pragma weak closeControlDialog
