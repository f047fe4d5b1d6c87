#pragma once

// libjpeg's fatal errors as a result at the call that met them. libjpeg leaves a failed call
// through its error manager's error_exit, which must not return; ours jumps back to the guard
// that ran the call, so the caller can free the library's objects and throw. Warnings and
// messages are not printed: what fails reaches the user as the caller's exception. The
// wallpaper's encoder and the picture decoder share it.

#include <csetjmp>
#include <cstdio> // before jpeglib.h, which uses FILE without including it

#include <jpeglib.h>

struct TJpegErrors {
  jpeg_error_mgr Pub;
  std::jmp_buf Jump;
};

// Fills Errors as the error manager described above and returns it for the err field of a
// compressor or decompressor, which must be set before it is created.
jpeg_error_mgr *JpegErrorManager(TJpegErrors &Errors);

// Runs Step with libjpeg's fatal errors turned into a false result; Errors.Pub.msg_code then
// says which. Step must hold no object with a destructor: a longjmp out of it skips its frame.
template <class F> bool Guarded(TJpegErrors &Errors, F &&Step) {
  if (setjmp(Errors.Jump))
    return false;
  Step();
  return true;
}
