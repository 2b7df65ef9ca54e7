// For tests only: what a minidump file holds, read from its stream
// directory: the header's signature, the threads and the modules' names.
#ifndef ZARN_TESTING_WIN32_TEST_MINIDUMP_H_
#define ZARN_TESTING_WIN32_TEST_MINIDUMP_H_

#include <windows.h>
// dbghelp.h needs windows.h first; only its structures are used.
#include <dbghelp.h>
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarn::win32_test {

struct MinidumpContents {
  size_t threads = 0;
  // Each module's full path, as the dump names it.
  std::vector<std::wstring> modules;
  bool has_thread_list = false;
  bool has_module_list = false;

  bool HasModuleNamed(std::wstring_view file_name) const {
    for (const std::wstring& path : modules) {
      const size_t slash = path.find_last_of(L"\\/");
      const std::wstring_view name = std::wstring_view(path).substr(
          slash == std::wstring::npos ? 0 : slash + 1);
      if (name.size() == file_name.size() &&
          ::CompareStringOrdinal(
              name.data(), static_cast<int>(name.size()), file_name.data(),
              static_cast<int>(file_name.size()), TRUE) == CSTR_EQUAL) {
        return true;
      }
    }
    return false;
  }
};

// nullopt when `bytes` is no minidump ("MDMP" first) or its directory
// points outside the file.
inline std::optional<MinidumpContents> ReadMinidump(std::string_view bytes) {
  auto fits = [&](size_t at, size_t size) {
    return at <= bytes.size() && size <= bytes.size() - at;
  };
  auto read = [&](size_t at, auto& value) {
    if (!fits(at, sizeof value)) return false;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return true;
  };
  MINIDUMP_HEADER header;
  if (!read(0, header) || std::memcmp(bytes.data(), "MDMP", 4) != 0) {
    return std::nullopt;
  }
  MinidumpContents contents;
  for (ULONG32 i = 0; i < header.NumberOfStreams; ++i) {
    MINIDUMP_DIRECTORY entry;
    if (!read(header.StreamDirectoryRva + i * sizeof entry, entry)) {
      return std::nullopt;
    }
    const size_t at = entry.Location.Rva;
    ULONG32 count = 0;
    if (entry.StreamType == ThreadListStream) {
      if (!read(at, count) ||
          !fits(at + sizeof count, size_t{count} * sizeof(MINIDUMP_THREAD))) {
        return std::nullopt;
      }
      contents.has_thread_list = true;
      contents.threads = count;
    } else if (entry.StreamType == ModuleListStream) {
      if (!read(at, count)) return std::nullopt;
      contents.has_module_list = true;
      for (ULONG32 m = 0; m < count; ++m) {
        MINIDUMP_MODULE module;
        ULONG32 name_bytes = 0;
        if (!read(at + sizeof count + m * sizeof module, module) ||
            !read(module.ModuleNameRva, name_bytes) ||
            !fits(module.ModuleNameRva + sizeof name_bytes, name_bytes)) {
          return std::nullopt;
        }
        std::wstring name(name_bytes / sizeof(wchar_t), L'\0');
        std::memcpy(name.data(),
                    bytes.data() + module.ModuleNameRva + sizeof name_bytes,
                    name.size() * sizeof(wchar_t));
        contents.modules.push_back(std::move(name));
      }
    }
  }
  return contents;
}

// Whether `bytes` are a minidump with threads and a module list that names
// `module`: what a dump of a hung process must show to be of use.
inline ::testing::AssertionResult IsDumpOfThreadsAndModule(
    std::string_view bytes, std::wstring_view module) {
  if (bytes.substr(0, 4) != "MDMP") {
    return ::testing::AssertionFailure() << "no MDMP signature";
  }
  const std::optional<MinidumpContents> contents = ReadMinidump(bytes);
  if (!contents) return ::testing::AssertionFailure() << "unreadable";
  if (!contents->has_thread_list || contents->threads < 1) {
    return ::testing::AssertionFailure() << "no threads";
  }
  if (!contents->has_module_list || !contents->HasModuleNamed(module)) {
    return ::testing::AssertionFailure()
           << "module missing among " << contents->modules.size();
  }
  return ::testing::AssertionSuccess();
}

}  // namespace zarn::win32_test

#endif  // ZARN_TESTING_WIN32_TEST_MINIDUMP_H_
