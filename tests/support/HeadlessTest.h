// The base of every native test that drives the installer through the headless backend: a fresh
// backend, file system and configuration for each test, and at its end a check that no message
// box appeared unexpected and every expected one was shown.
#pragma once

#include <gtest/gtest.h>

#include "app/Session.h"

#include "config/Vars.h"
#include "tests/support/LinkedUnzipLibrary.h"
#include "toolkit/headless/Headless.h"
#include "toolkit/headless/MemoryFileSystem.h"

namespace testing_support {

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    toolkit::headless::Reset();
    ProvideLinkedUnzipLibrary();
    config::Vars = config::ConfigurationBlock{};
    app::TheSession().state = config::RunState{};
  }

  void TearDown() override {
    for (const std::string& failure : toolkit::headless::TakeFailures()) {
      ADD_FAILURE() << failure;
    }
  }

  toolkit::headless::MemoryFileSystem& Disk() { return toolkit::headless::MemFs(); }
};

}  // namespace testing_support
