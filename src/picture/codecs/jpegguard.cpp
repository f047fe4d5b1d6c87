#include "picture/codecs/jpegguard.h"

namespace {

[[noreturn]] void ErrorExit(j_common_ptr Info) {
  // Pub is the first member of the standard-layout TJpegErrors.
  auto *Errors = reinterpret_cast<TJpegErrors *>(Info->err);
  std::longjmp(Errors->Jump, 1);
}

void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}

} // namespace

jpeg_error_mgr *JpegErrorManager(TJpegErrors &Errors) {
  jpeg_error_mgr *Manager = jpeg_std_error(&Errors.Pub);
  Manager->error_exit = ErrorExit;
  Manager->emit_message = EmitMessage;
  Manager->output_message = OutputMessage;
  return Manager;
}
