#include "picture/codecs/codecmodule.h"
#include "picture/codecs/codecmoduleentries.h"
#include "picture/codecs/rasterlimits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>
#include <string>

#include <dlfcn.h>

namespace {

// The module's file (ZELVANE_CODEC_MODULE) and, installed, its folder relative to the
// program's (ZELVANE_CODEC_MODULE_FROM_PROGRAM): the build knows both.
constexpr const char *ModuleFile = ZELVANE_CODEC_MODULE;
constexpr const char *ModuleFromProgram = ZELVANE_CODEC_MODULE_FROM_PROGRAM;

struct TModule {
  THeifEntry Heif = nullptr;
  TJxlEntry Jxl = nullptr;
  // Why the module could not be had; empty when it was.
  std::string Error;
};

// Where an installed program finds the module: its own folder, then the relative path; found
// through the running program's file, so the same holds under any installation prefix.
QString InstalledModulePath() {
  const QString Program = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
  return QDir::cleanPath(QFileInfo(Program).absolutePath() + '/' +
                         QString::fromUtf8(ModuleFromProgram) + '/' +
                         QString::fromUtf8(ModuleFile));
}

// Opens the installed module; where there is none (a program in the build tree), the module
// by its bare name, which the build tree's run-time search path finds and installing removes.
void *OpenModule(std::string &Error) {
  const QString Installed = InstalledModulePath();
  const bool IsInstalled = QFileInfo::exists(Installed);
  void *Handle = dlopen(IsInstalled ? QFile::encodeName(Installed).constData() : ModuleFile,
                        RTLD_NOW | RTLD_LOCAL);
  if (!Handle) {
    const char *Reason = dlerror();
    Error = Reason ? Reason : ModuleFile;
  }
  return Handle;
}

TModule LoadModule() {
  TModule Module;
  void *Handle = OpenModule(Module.Error);
  if (!Handle)
    return Module;
  // Never closed: the pictures it decodes keep its release function.
  Module.Heif = reinterpret_cast<THeifEntry>(dlsym(Handle, HeifEntryName));
  Module.Jxl = reinterpret_cast<TJxlEntry>(dlsym(Handle, JxlEntryName));
  if (!Module.Heif || !Module.Jxl)
    Module.Error = std::string(ModuleFile) + ": an entry point is missing";
  return Module;
}

const TModule &Loaded() {
  static const TModule Module = LoadModule();
  if (!Module.Error.empty())
    throw std::runtime_error("Cannot load the HEIF, AVIF and JPEG XL decoders. " + Module.Error);
  return Module;
}

} // namespace

QImage DecodeHeifFromModule(const QByteArray &Data, const char *InvalidMessage) {
  QImage Result;
  Loaded().Heif(Data, InvalidMessage, MaxRasterBytes(), Result);
  return Result;
}

QImage DecodeJxlFromModule(const QByteArray &Data) {
  QImage Result;
  Loaded().Jxl(Data, MaxRasterBytes(), Result);
  return Result;
}
