// A fresh folder under the Windows temp folder for one test, removed with
// everything in it afterwards, long paths included.
#ifndef ZARN_TESTING_WIN32_TEST_TEMP_FOLDER_H_
#define ZARN_TESTING_WIN32_TEST_TEMP_FOLDER_H_

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/wide.h"

namespace zarn::win32 {

class TestTempFolder {
 public:
  TestTempFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    path_ = FromWide(temp) + u"zarn_test_" +
            FromWide(std::to_wstring(::GetCurrentProcessId())) + u"_" +
            FromWide(std::to_wstring(::GetTickCount64()));
    ::CreateDirectoryW(ToWide(path_).c_str(), nullptr);
  }
  ~TestTempFolder() { RemoveTree(u"\\\\?\\" + path_); }
  TestTempFolder(const TestTempFolder&) = delete;
  TestTempFolder& operator=(const TestTempFolder&) = delete;

  // The folder, without a trailing backslash.
  const std::u16string& path() const { return path_; }
  std::u16string operator/(std::u16string_view name) const {
    return path_ + u"\\" + std::u16string(name);
  }

  // Writes a file; paths of any length (the long form is used).
  static bool WriteFile(std::u16string_view path,
                        const std::vector<uint8_t>& bytes) {
    const std::wstring wide = ToWide(Long(path));
    HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                    &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
  }
  static bool MakeFolder(std::u16string_view path) {
    return ::CreateDirectoryW(ToWide(Long(path)).c_str(), nullptr) != FALSE;
  }
  static bool IsFolder(std::u16string_view path) {
    const DWORD a = ::GetFileAttributesW(ToWide(Long(path)).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }

 private:
  static std::u16string Long(std::u16string_view path) {
    if (path.size() > 2 && path[1] == u':')
      return u"\\\\?\\" + std::u16string(path);
    return std::u16string(path);
  }
  static void RemoveTree(const std::u16string& folder) {
    WIN32_FIND_DATAW data = {};
    HANDLE find = ::FindFirstFileW(ToWide(folder + u"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::u16string child = folder + u"\\" + FromWide(name);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(child);
        } else {
          ::DeleteFileW(ToWide(child).c_str());
        }
      } while (::FindNextFileW(find, &data));
      ::FindClose(find);
    }
    ::RemoveDirectoryW(ToWide(folder).c_str());
  }

  std::u16string path_;
};

}  // namespace zarn::win32

#endif  // ZARN_TESTING_WIN32_TEST_TEMP_FOLDER_H_
