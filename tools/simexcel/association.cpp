#include "association.h"

#include <windows.h>

#include <optional>
#include <string>

namespace zarn::sim {
namespace {

constexpr wchar_t kExtension[] = L".zsim";
constexpr wchar_t kProgId[] = L"ZARN.SimWorkbook";
const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kCommandKey =
    std::wstring(kProgId) + L"\\shell\\open\\command";

bool SetDefault(HKEY root, const std::wstring& subkey,
                const std::wstring& value) {
  return ::RegSetKeyValueW(
             root, subkey.c_str(), nullptr, REG_SZ, value.c_str(),
             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
         ERROR_SUCCESS;
}

// Deletes the key `path` under `root` when it holds neither values nor
// subkeys; true when it is gone.
bool DeleteIfEmpty(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  LSTATUS status = ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key);
  if (status == ERROR_FILE_NOT_FOUND) return true;
  if (status != ERROR_SUCCESS) return false;
  DWORD subkeys = 0;
  DWORD values = 0;
  status =
      ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr,
                         nullptr, &values, nullptr, nullptr, nullptr, nullptr);
  ::RegCloseKey(key);
  if (status != ERROR_SUCCESS || subkeys != 0 || values != 0) return false;
  status = ::RegDeleteKeyW(root, path.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

// The default value of `path` under `root`; nothing when there is none or
// it can't be read (a text too long for us is no value of ours either).
std::optional<std::wstring> ReadDefault(HKEY root, const std::wstring& path,
                                        LSTATUS& status) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  status = ::RegGetValueW(root, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                          value, &size);
  if (status != ERROR_SUCCESS) return std::nullopt;
  return std::wstring(value);
}

// Deletes the keys from `path` up to, not including, `top` as long as
// they are empty.
void DeleteEmptyKeys(HKEY root, std::wstring path, const std::wstring& top) {
  for (; path.size() > top.size();
       path = path.substr(0, path.find_last_of(L'\\'))) {
    if (!DeleteIfEmpty(root, path)) return;
  }
}

}  // namespace

// Windows keeps per-user associations in HKCU\Software\Classes; Wine reads
// only the machine's, so both are written. HKLM takes it only from an
// elevated process on Windows; a refusal there is no failure.
int Register(const std::wstring& program) {
  const std::wstring command = L"\"" + program + L"\" \"%1\"";
  bool ok = SetDefault(HKEY_CURRENT_USER, kClasses + kExtension, kProgId);
  ok = SetDefault(HKEY_CURRENT_USER, kClasses + kCommandKey, command) && ok;
  SetDefault(HKEY_LOCAL_MACHINE, kClasses + kExtension, kProgId);
  SetDefault(HKEY_LOCAL_MACHINE, kClasses + kCommandKey, command);
  return ok ? 0 : 1;
}

int Unregister() {
  const std::wstring classes = L"Software\\Classes";
  const std::wstring extension = kClasses + kExtension;
  const std::wstring command = kClasses + kCommandKey;
  auto delete_default = [](HKEY root, const std::wstring& path) {
    return ::RegDeleteKeyValueW(root, path.c_str(), nullptr) == ERROR_SUCCESS;
  };
  bool ok = true;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    LSTATUS status = ERROR_SUCCESS;
    if (ReadDefault(root, extension, status) == kProgId) {
      const bool deleted = delete_default(root, extension);
      if (deleted) DeleteEmptyKeys(root, extension, classes);
      ok = deleted && ok;
    }
    // The class is ours whatever its command says (SimExcel may have moved
    // since), and so are its keys once they are empty.
    ReadDefault(root, command, status);
    if (status != ERROR_FILE_NOT_FOUND) {
      ok = delete_default(root, command) && ok;
    }
    DeleteEmptyKeys(root, command, classes);
  }
  return ok ? 0 : 1;
}

}  // namespace zarn::sim
