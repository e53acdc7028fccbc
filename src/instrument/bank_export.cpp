#include "instrument/bank_export.h"

#include <atomic>
#include <cerrno>
#include <functional>
#include <thread>
#include <cstdio>
#include <cstdlib>

#include "engine/parameter_table.h"
#include "value_text/decimal_separator.h"
#include "value_text/float_text.h"

#if defined(_WIN32)
#include <process.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int kExportDigits = 15;  // significant digits of each value
constexpr const char* kLineEnd = "\r\n";

bool EnsureFolder(const std::string& folder) {
#if defined(_WIN32)
  return CreateDirectoryA(folder.c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS;
#else
  return mkdir(folder.c_str(), 0755) == 0 || errno == EEXIST;
#endif
}

// Creates every folder on the way to the file.
[[maybe_unused]] bool EnsureParentFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    if (!EnsureFolder(path.substr(0, slash))) return false;
  }
  return true;
}

int ProcessId() {
#if defined(_WIN32)
  return _getpid();
#else
  return static_cast<int>(getpid());
#endif
}

bool ReplaceFile(const std::string& from, const std::string& to) {
#if defined(_WIN32)
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

std::string BankExportText(const ProgramBank& programs, char separator) {
  std::string text;
  text.reserve(40000);
  for (int p = 0; p < kNumPrograms; ++p) {
    const APluginProgram& program = *programs[static_cast<std::size_t>(p)];
    const std::string index = std::to_string(p);
    for (int i = 0; i < kNumParams; ++i) {
      const float value = program.fvar[static_cast<std::size_t>(i)].load(std::memory_order_relaxed);
      text += "Programs[" + index + "].fvar[" + std::to_string(i) + "]:=" +
              FormatGeneral(static_cast<double>(value), kExportDigits, separator) + ";" + kLineEnd;
    }
    const std::string name = program.Name().data();
    text += "StrCopy(programs[" + index + "].name,pchar(%" + name + "%)" + kLineEnd;
    text += "SetProgram(" + index + ");" + kLineEnd;
  }
  return text;
}

std::string BankExportPath() {
  if (const char* path = std::getenv("VYRTAL_BANK_EXPORT"); path != nullptr && path[0] != '\0') return path;
#if defined(_WIN32)
  return "c:\\demo1.txt";
#else
  std::string folder;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
    folder = data;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    folder = std::string(home) + "/.local/share";
  } else {
    return {};
  }
  return folder + "/Vyrtal/demo1.txt";
#endif
}

void WriteBankExport(const ProgramBank& programs) {
  const std::string path = BankExportPath();
  if (path.empty()) return;
#if !defined(_WIN32)
  if (!EnsureParentFolders(path)) return;
#endif
  const std::string text = BankExportText(programs, UserDecimalSeparator());

  // A private temporary beside the target, renamed over it when complete, so
  // no reader ever sees a torn or mixed file.
  // Process, bank and thread in its name keep concurrent exports apart.
  const std::string temporary = path + ".tmp" + std::to_string(ProcessId()) + "-" +
                                std::to_string(reinterpret_cast<std::uintptr_t>(&programs)) + "-" +
                                std::to_string(std::hash<std::thread::id>{}(std::this_thread::get_id()));
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) return;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed || !ReplaceFile(temporary, path)) std::remove(temporary.c_str());
}
