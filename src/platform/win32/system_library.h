// System DLLs that only some of the daemon's paths need (a web address as
// the configuration's path, a network drive, the checker's launch), loaded
// at their first use. Importing them would map each of them, and what they
// import in turn, into every daemon for its whole supervision.
#ifndef ZARN_PLATFORM_WIN32_SYSTEM_LIBRARY_H_
#define ZARN_PLATFORM_WIN32_SYSTEM_LIBRARY_H_

#include <windows.h>

namespace zarn::win32 {

class SystemLibrary {
 public:
  // Loads `name` from the system folder only, never from the program's or
  // the current folder. The DLL stays loaded for the life of the process,
  // so that the functions found in it stay valid.
  explicit SystemLibrary(const wchar_t* name);

  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  bool loaded() const { return module_ != nullptr; }

  // Sets `function` to the export `name`, typed as the function declared in
  // the SDK's header (decltype(::WinHttpOpen)). False, with `function` null,
  // when the DLL or the export is missing.
  template <typename Function>
  bool Find(const char* name, Function*& function) const {
    // The detour through void (*)() keeps GCC's cast warning quiet; the
    // export is the function the header declares.
    function = reinterpret_cast<Function*>(
        reinterpret_cast<void (*)()>(FindAddress(name)));
    return function != nullptr;
  }

 private:
  FARPROC FindAddress(const char* name) const;

  HMODULE module_;
};

// The export `name` of the system DLL `library`, for a function needed on one
// path only: keep the result (a function-local static) rather than calling
// this again. Null when the DLL or the export is missing.
template <typename Function>
Function* FindSystemFunction(const wchar_t* library, const char* name) {
  Function* function = nullptr;
  SystemLibrary(library).Find(name, function);
  return function;
}

}  // namespace zarn::win32

#endif  // ZARN_PLATFORM_WIN32_SYSTEM_LIBRARY_H_
