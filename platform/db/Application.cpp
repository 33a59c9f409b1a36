#include "platform/db/Application.h"

#include <cstdio>

#include "platform/os/CodePage1252.h"

namespace platform::db {

TApplicationSinks ApplicationSinks;
TApplication Application;

namespace {

void WriteToStderr(const std::string& utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace

void ShowMessage(const std::string& text) {
  if (ApplicationSinks.ShowMessage)
    ApplicationSinks.ShowMessage(text);
  else
    WriteToStderr(platform::os::AnsiToUtf8(text));
}

void TApplication::HandleException() {
  const std::exception_ptr error = std::current_exception();
  if (ApplicationSinks.HandleException) {
    ApplicationSinks.HandleException(error);
    return;
  }
  try {
    if (error) std::rethrow_exception(error);
  } catch (const std::exception& e) {
    WriteToStderr(platform::os::AnsiToUtf8(e.what()));
  } catch (...) {
    WriteToStderr("Unknown exception");
  }
}

void TApplication::Terminate() {
  terminated_ = true;
  if (ApplicationSinks.Terminate) ApplicationSinks.Terminate();
}

}  // namespace platform::db
