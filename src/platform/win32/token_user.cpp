#include "platform/win32/token_user.h"

// sddl.h needs windows.h first.
#include <sddl.h>

#include "platform/win32/unique_resource.h"

namespace zarn::win32 {

std::vector<BYTE> TokenUserSid(HANDLE token) {
  DWORD bytes = 0;
  ::GetTokenInformation(token, TokenUser, nullptr, 0, &bytes);
  if (bytes < sizeof(TOKEN_USER)) return {};
  // DWORD-aligned, as TOKEN_USER needs.
  std::vector<DWORD> buffer((bytes + sizeof(DWORD) - 1) / sizeof(DWORD));
  if (!::GetTokenInformation(token, TokenUser, buffer.data(), bytes, &bytes)) {
    return {};
  }
  const PSID sid = reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid;
  if (!sid || !::IsValidSid(sid)) return {};
  const BYTE* begin = static_cast<const BYTE*>(sid);
  return std::vector<BYTE>(begin, begin + ::GetLengthSid(sid));
}

const std::vector<BYTE>& OwnUserSid() {
  static const std::vector<BYTE> sid = [] {
    UniqueHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) {
      return std::vector<BYTE>();
    }
    return TokenUserSid(token.get());
  }();
  return sid;
}

bool SameSid(const std::vector<BYTE>& a, const void* b) {
  if (a.empty() || !b) return false;
  PSID left = const_cast<BYTE*>(a.data());
  PSID right = const_cast<void*>(b);
  return ::IsValidSid(right) && ::EqualSid(left, right);
}

std::wstring SidText(const std::vector<BYTE>& sid) {
  if (sid.empty()) return {};
  LPWSTR text = nullptr;
  if (!::ConvertSidToStringSidW(const_cast<BYTE*>(sid.data()), &text)) {
    return {};
  }
  std::wstring result(text);
  ::LocalFree(text);
  return result;
}

}  // namespace zarn::win32
