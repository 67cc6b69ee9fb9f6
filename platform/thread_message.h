// A thread's slot for the message a framework is handling, kept in the platform:
// thread-local storage inside a module that is unloaded again (a data source) is
// left behind in every thread that touched it.
#pragma once

#include "platform/user.h"

namespace platform {

PLATFORM_EXPORT MSG& ThreadCurrentMessage();

}  // namespace platform
