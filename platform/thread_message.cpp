#include "platform/thread_message.h"

namespace platform {

MSG& ThreadCurrentMessage() {
  thread_local MSG current{};
  return current;
}

}  // namespace platform
