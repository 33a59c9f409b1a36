#pragma once
// Base fixture of the library tests: every test starts from the start-up state in the C locale
// with raising on, so that a library error becomes an exception, never the process exit.

#include <gtest/gtest.h>

#include "xbase/Library.h"
#include "xbase/core/ovcommon.h"

namespace xbase {

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetForTests();
    SetRaiseErrors(true);
  }
};

}  // namespace xbase
