// Until the standard controls are built into the platform, there are none to register.
#include "platform/user.h"

namespace platform {

void RegisterControlClasses() {}

}  // namespace platform
