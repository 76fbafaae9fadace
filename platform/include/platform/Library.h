#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Export.h"

namespace platform {

// A loaded module (library or the program itself); 0 when there is none.
using ModuleHandle = uintptr_t;

// Loads a library by path; 0 when it cannot be loaded. The text of the
// failure, when there is one, goes to `error`.
MOX_PLATFORM_API ModuleHandle LoadModule(const std::string& path, std::string* error = nullptr);
MOX_PLATFORM_API void UnloadModule(ModuleHandle module);

// The address of an exported name; null when missing or when `module` is 0.
MOX_PLATFORM_API void* FindExport(ModuleHandle module, const char* name);

// The program's own module: where a host's exported functions are found.
MOX_PLATFORM_API ModuleHandle ProgramModule();
// A module already loaded in the process, by its file name; 0 when none.
MOX_PLATFORM_API ModuleHandle LoadedModuleByName(const std::string& name);
// The module that contains `address` (a function or object of that module).
MOX_PLATFORM_API ModuleHandle ModuleOfAddress(const void* address);
// The full file name of a module; empty when unknown.
MOX_PLATFORM_API std::string ModuleFileName(ModuleHandle module);

// The folder of the program's file, without a trailing separator: where a
// build puts the libraries and programs a test or benchmark loads.
inline std::string ProgramFolder() {
  const std::string program = ModuleFileName(ProgramModule());
  return program.substr(0, program.find_last_of("/\\"));
}

// The separator of folders in paths of this system.
#if defined(_WIN32)
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// The arguments the process was started with, the program name first.
MOX_PLATFORM_API std::vector<std::string> ProcessArguments();

// Whether one of the arguments after the program name is exactly `argument`.
inline bool ProcessHasArgument(const std::string& argument) {
  const std::vector<std::string> arguments = ProcessArguments();
  return std::find(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end(), argument) !=
         arguments.end();
}

}  // namespace platform
