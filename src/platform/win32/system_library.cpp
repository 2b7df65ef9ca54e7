#include "platform/win32/system_library.h"

namespace zarn::win32 {

SystemLibrary::SystemLibrary(const wchar_t* name)
    : module_(::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {}

FARPROC SystemLibrary::FindAddress(const char* name) const {
  return module_ ? ::GetProcAddress(module_, name) : nullptr;
}

}  // namespace zarn::win32
