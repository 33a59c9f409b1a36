#pragma once
// The exceptions of the abstract dataset and its fields. Exception is the general one (datasets
// raise their own result codes with it); EDatabaseError reports a misuse of a dataset or field,
// EConvertError a text that is no value of the wanted type, EAbort a silent stop.

#include <stdexcept>
#include <string>

namespace platform::db {

class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EDatabaseError : public Exception {
 public:
  using Exception::Exception;
};

class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
};

[[noreturn]] inline void DatabaseError(const std::string& message) { throw EDatabaseError(message); }

}  // namespace platform::db
