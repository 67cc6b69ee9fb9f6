// The source manager over the fake sources, on a machine with a desktop for the
// applications' windows. Every test must leave no source loaded and nothing queued.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

#include <cstring>
#include <string>
#include <vector>

#include "outside/twain_app/test_application.h"
#include "outside/twain_dsm/twain_dsm.h"
#include "sim/machine.h"
#include "tests/support/desktop_machine.h"

namespace outside_testing {

class OutsideTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::PowerOnDesktop(640, 480, 16);
    twain_dsm::SetSourcePath(FAKE_SOURCES_DIR);
  }
  void TearDown() override {
    twain_dsm::SetRawMode(false);
    EXPECT_EQ(twain_dsm::LoadedSourceCount(), 0u);
    EXPECT_EQ(twain_dsm::PendingNotificationCount(), 0u);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    sim::PowerOff();
  }
};

// Whether the dynamic loader holds an object whose path ends with `fileName`.
inline bool InProcess(const std::string& fileName) {
  struct Search {
    std::string suffix;
    bool found = false;
  } search{"/" + fileName};
  ::dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* data) {
        auto* s = static_cast<Search*>(data);
        std::string name = info->dlpi_name ? info->dlpi_name : "";
        if (name.size() >= s->suffix.size() &&
            name.compare(name.size() - s->suffix.size(), s->suffix.size(), s->suffix) == 0)
          s->found = true;
        return 0;
      },
      &search);
  return search.found;
}

inline std::string NameOf(const TW_IDENTITY& identity) {
  char name[sizeof(TW_STR32)];
  std::memcpy(name, identity.ProductName, sizeof name);
  name[sizeof name - 1] = '\0';
  return name;
}

inline std::vector<std::string> NamesOf(const std::vector<TW_IDENTITY>& identities) {
  std::vector<std::string> names;
  for (const TW_IDENTITY& identity : identities) names.push_back(NameOf(identity));
  return names;
}

}  // namespace outside_testing
