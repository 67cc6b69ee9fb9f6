// The application framework: application object, windows, dialogs, message maps,
// data exchange and control wrappers.
#pragma once

#include "platform/afx/application.h"
#include "platform/afx/controls.h"
#include "platform/afx/data_exchange.h"
#include "platform/afx/dialog.h"
#include "platform/afx/message_map.h"
#include "platform/afx/window.h"
