// The release package as the package tests find it: CTest builds and
// unpacks the ZIP (e2e.PackageIsBuiltAndUnpacked) into package-test/
// beside the test program, one folder named after the package.
#ifndef ZARN_TESTS_E2E_PACKAGE_FOLDER_H_
#define ZARN_TESTS_E2E_PACKAGE_FOLDER_H_

#include <string>

#include "platform/win32/wide.h"
#include "testing/win32/win32_test_support.h"

namespace zarn::e2e {

// The unpacked package's folder, with a trailing backslash.
inline std::wstring PackageFolder() {
  return win32::OwnFolder() + L"package-test\\" +
         win32::ToWide(win32::FromAnsi(ZARN_PACKAGE_NAME)) + L"\\";
}

}  // namespace zarn::e2e

#endif  // ZARN_TESTS_E2E_PACKAGE_FOLDER_H_
