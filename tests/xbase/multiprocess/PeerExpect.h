#pragma once
// The step of a test with peers: one command, and the answer it must give.

#include <gtest/gtest.h>

#include <string>

#include "tests/xbase/multiprocess/PeerProcess.h"

namespace xbase {

// Asks the peer and expects its result and the library's error code after the command.
inline void Expect(PeerProcess& peer, const std::string& command, const std::string& result, int code = 0) {
  const PeerAnswer answer = peer.Ask(command);
  EXPECT_EQ(answer.result, result) << command;
  EXPECT_EQ(answer.code, code) << command;
}

}  // namespace xbase
