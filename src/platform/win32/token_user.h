// The user SID of an access token: whose a process is, and whose our own
// instance lock is.
#ifndef ZARN_PLATFORM_WIN32_TOKEN_USER_H_
#define ZARN_PLATFORM_WIN32_TOKEN_USER_H_

#include <windows.h>

#include <string>
#include <vector>

namespace zarn::win32 {

// A copy of the SID of the token's user (GetTokenInformation, TokenUser);
// empty when the token can't be read. REQUIRES: TOKEN_QUERY access.
std::vector<BYTE> TokenUserSid(HANDLE token);

// The SID of the user our own process runs as, read once; empty when our
// own token can't be read.
const std::vector<BYTE>& OwnUserSid();

// True when both SIDs are valid and equal.
bool SameSid(const std::vector<BYTE>& a, const void* b);

// The S-1-5-... text of a SID; empty when it can't be converted.
std::wstring SidText(const std::vector<BYTE>& sid);

}  // namespace zarn::win32

#endif  // ZARN_PLATFORM_WIN32_TOKEN_USER_H_
