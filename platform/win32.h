// The Win32-like surface the system is written against.
#pragma once

#include "platform/clock.h"
#include "platform/device_namespace.h"
#include "platform/global_memory.h"
#include "platform/kernel_objects.h"
#include "platform/last_error.h"
#include "platform/profile.h"
#include "platform/register_io.h"
#include "platform/win_types.h"
