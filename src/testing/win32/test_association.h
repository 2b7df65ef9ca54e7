// For the tests that launch the checker through the shell: a document
// type of the test program's own, associated with a chosen program the way
// an Office installation associates .xls with EXCEL.EXE. Windows keeps
// per-user associations in HKCU\Software\Classes, Wine reads only the
// machine's (HKLM\Software\Classes), so both get the same classes.
#ifndef ZARN_TESTING_WIN32_TEST_ASSOCIATION_H_
#define ZARN_TESTING_WIN32_TEST_ASSOCIATION_H_

#include <windows.h>

#include <string>

#include "platform/win32/unique_resource.h"

namespace zarn::win32 {

class TestAssociation {
 public:
  // The classes are machine-wide: `tag` and the process id make the type
  // unique among test programs running at the same time.
  explicit TestAssociation(const std::wstring& tag)
      : extension_(L"." + tag + std::to_wstring(::GetCurrentProcessId())),
        prog_id_(L"ZarnTest.Workbook" + extension_) {
    Remove();
  }
  ~TestAssociation() { Remove(); }
  TestAssociation(const TestAssociation&) = delete;
  TestAssociation& operator=(const TestAssociation&) = delete;

  // The extension, with its dot.
  const std::wstring& extension() const { return extension_; }

  // Opens documents of the type with `"<program>" "%1"`. False when the
  // registry refused a key.
  bool OpenWith(const std::wstring& program) {
    const std::wstring command = L"\"" + program + L"\" \"%1\"";
    const std::wstring classes = L"Software\\Classes\\";
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      if (!WriteDefault(root, classes + extension_, prog_id_) ||
          !WriteDefault(root, classes + prog_id_ + L"\\shell\\open\\command",
                        command)) {
        return false;
      }
    }
    return true;
  }

 private:
  static bool WriteDefault(HKEY root, const std::wstring& key,
                           const std::wstring& value) {
    HKEY handle = nullptr;
    if (::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                          nullptr, &handle, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    UniqueRegKey owned(handle);
    return ::RegSetValueExW(
               handle, nullptr, 0, REG_SZ,
               reinterpret_cast<const BYTE*>(value.c_str()),
               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
  }

  void Remove() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      ::RegDeleteTreeW(root, (L"Software\\Classes\\" + extension_).c_str());
      ::RegDeleteTreeW(root, (L"Software\\Classes\\" + prog_id_).c_str());
    }
  }

  std::wstring extension_;
  std::wstring prog_id_;
};

}  // namespace zarn::win32

#endif  // ZARN_TESTING_WIN32_TEST_ASSOCIATION_H_
