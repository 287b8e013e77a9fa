// The fixture of the window system's headless tests: the headless driver installed and the
// window system reset, a visible top-level window whose procedure records messages as rows.
#pragma once

#include "platform/posix/driver/headless/headless.h"
#include "tests/conformance/user32_message_recorder.h"

namespace headless_test {

class HeadlessWindowTest : public user32_test::RecordingWindowTest {
 protected:
  void SetUp() override {
    headless::install();
    RecordingWindowTest::SetUp();
  }
  void TearDown() override {
    RecordingWindowTest::TearDown();
    headless::reset();
  }
};

}  // namespace headless_test
