#include "platform/os/ErrnoCodes.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace platform::os {
namespace {

TEST(ErrnoCodes, DosCodeOfEachErrno) {
  using Op = IoOperation;
  struct Case {
    int err;
    Op operation;
    std::uint16_t code;
  };
  for (const auto& c : {
           Case{0, Op::kOther, 0},            Case{ENOENT, Op::kOther, 2},
           Case{ENOTDIR, Op::kOther, 3},      Case{ENAMETOOLONG, Op::kOther, 3},
           Case{EMFILE, Op::kOther, 4},       Case{ENFILE, Op::kOther, 4},
           Case{EACCES, Op::kOther, 5},       Case{EPERM, Op::kOther, 5},
           Case{EISDIR, Op::kOther, 5},       Case{EBADF, Op::kOther, 6},
           Case{ENOMEM, Op::kOther, 8},       Case{EROFS, Op::kWrite, 19},
           Case{EEXIST, Op::kOther, 80},
           Case{ENOSPC, Op::kWrite, 101},     Case{EDQUOT, Op::kWrite, 101},
           Case{EFBIG, Op::kWrite, 101},      Case{EIO, Op::kRead, 100},
           Case{EIO, Op::kWrite, 101},        Case{EIO, Op::kOther, 31},
           Case{EAGAIN, Op::kShareLock, 32},  Case{EACCES, Op::kShareLock, 32},
           Case{EAGAIN, Op::kLock, 33},       Case{EACCES, Op::kLock, 33},
           Case{EINVAL, Op::kLock, 1203},     Case{EINVAL, Op::kOther, 31},
       }) {
    EXPECT_EQ(DosErrorCode(c.err, c.operation), c.code)
        << c.err << " op " << static_cast<int>(c.operation);
  }
}

}  // namespace
}  // namespace platform::os
