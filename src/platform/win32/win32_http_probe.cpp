#include "platform/win32/win32_http_probe.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <optional>
#include <string>

#include "platform/win32/system_library.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace zarn {
namespace {

// WinHTTP, found when the first web address is probed.
struct WinHttp {
  decltype(::WinHttpOpen)* Open = nullptr;
  decltype(::WinHttpConnect)* Connect = nullptr;
  decltype(::WinHttpOpenRequest)* OpenRequest = nullptr;
  decltype(::WinHttpSendRequest)* SendRequest = nullptr;
  decltype(::WinHttpReceiveResponse)* ReceiveResponse = nullptr;
  decltype(::WinHttpQueryHeaders)* QueryHeaders = nullptr;
  decltype(::WinHttpSetTimeouts)* SetTimeouts = nullptr;
  decltype(::WinHttpSetOption)* SetOption = nullptr;
  decltype(::WinHttpCrackUrl)* CrackUrl = nullptr;
  decltype(::WinHttpCloseHandle)* CloseHandle = nullptr;
  bool loaded = false;

  WinHttp() {
    const win32::SystemLibrary dll(L"winhttp.dll");
    loaded = dll.Find("WinHttpOpen", Open) &&
             dll.Find("WinHttpConnect", Connect) &&
             dll.Find("WinHttpOpenRequest", OpenRequest) &&
             dll.Find("WinHttpSendRequest", SendRequest) &&
             dll.Find("WinHttpReceiveResponse", ReceiveResponse) &&
             dll.Find("WinHttpQueryHeaders", QueryHeaders) &&
             dll.Find("WinHttpSetTimeouts", SetTimeouts) &&
             dll.Find("WinHttpSetOption", SetOption) &&
             dll.Find("WinHttpCrackUrl", CrackUrl) &&
             dll.Find("WinHttpCloseHandle", CloseHandle);
  }
};

const WinHttp& Http() {
  static const WinHttp api;
  return api;
}

struct InternetTraits {
  using Type = HINTERNET;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { Http().CloseHandle(h); }
};
using UniqueInternet = win32::UniqueResource<InternetTraits>;

constexpr int kMaxRedirects = 10;
// Older systems lack the automatic proxy kind (Windows 8.1 and later).
constexpr DWORD kAccessTypeAutomaticProxy = 4;

struct Target {
  bool secure = false;
  std::wstring scheme_and_host;  // https://host:port
  std::wstring host;
  INTERNET_PORT port = 0;
  std::wstring path;  // path and query
};

std::optional<Target> Crack(const std::wstring& url) {
  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = static_cast<DWORD>(-1);
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!Http().CrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0,
                       &parts) ||
      parts.dwHostNameLength == 0) {
    return std::nullopt;
  }
  if (parts.nScheme != INTERNET_SCHEME_HTTP &&
      parts.nScheme != INTERNET_SCHEME_HTTPS) {
    return std::nullopt;
  }
  Target t;
  t.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  t.host.assign(parts.lpszHostName, parts.dwHostNameLength);
  t.port = parts.nPort;
  t.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
  t.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  // The fragment is not sent.
  const size_t hash = t.path.find(L'#');
  if (hash != std::wstring::npos) t.path.resize(hash);
  if (t.path.empty()) t.path = L"/";
  t.scheme_and_host = (t.secure ? L"https://" : L"http://") + t.host + L":" +
                      std::to_wstring(t.port);
  return t;
}

// The address a Location header leads to, seen from `from`.
std::wstring Resolve(const Target& from, const std::wstring& location) {
  if (location.find(L"://") != std::wstring::npos) return location;
  if (location.rfind(L"//", 0) == 0) {
    return (from.secure ? L"https:" : L"http:") + location;
  }
  if (location.rfind(L"/", 0) == 0) return from.scheme_and_host + location;
  std::wstring base = from.path.substr(0, from.path.find(L'?'));
  base.resize(base.rfind(L'/') + 1);
  return from.scheme_and_host + base + location;
}

std::optional<std::wstring> QueryText(HINTERNET request, DWORD what) {
  DWORD bytes = 0;
  Http().QueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, nullptr,
                      &bytes, WINHTTP_NO_HEADER_INDEX);
  if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) {
    return std::nullopt;
  }
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (!Http().QueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX,
                           text.data(), &bytes, WINHTTP_NO_HEADER_INDEX)) {
    return std::nullopt;
  }
  text.resize(bytes / sizeof(wchar_t));
  return text;
}

class Win32HttpProbe final : public HttpProbe {
 public:
  explicit Win32HttpProbe(HttpProbeTimeouts timeouts) : timeouts_(timeouts) {}

  HttpHeadResponse Head(
      std::u16string_view url,
      const std::vector<std::pair<std::u16string, std::u16string>>& headers)
      override {
    if (!Http().loaded) return {};
    const ULONGLONG deadline = ::GetTickCount64() + timeouts_.total;
    UniqueInternet session(Http().Open(L"ZARNDaemon", kAccessTypeAutomaticProxy,
                                       nullptr, nullptr, 0));
    if (!session) {
      session.reset(Http().Open(L"ZARNDaemon",
                                WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, nullptr,
                                nullptr, 0));
    }
    if (!session) return {};

    std::wstring header_block;
    for (const auto& [name, value] : headers) {
      header_block +=
          win32::ToWide(name) + L": " + win32::ToWide(value) + L"\r\n";
    }

    std::wstring address = win32::ToWide(url);
    std::optional<Target> target = Crack(address);
    for (int hop = 0; target && hop <= kMaxRedirects; ++hop) {
      const ULONGLONG now = ::GetTickCount64();
      if (now >= deadline) return {};
      UniqueInternet connection(
          Http().Connect(session.get(), target->host.c_str(), target->port, 0));
      if (!connection) return {};
      UniqueInternet request(Http().OpenRequest(
          connection.get(), L"HEAD", target->path.c_str(), nullptr,
          WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
          target->secure ? WINHTTP_FLAG_SECURE : 0));
      if (!request) return {};
      Configure(request.get(), static_cast<DWORD>(deadline - now));
      // A time-out shows as 12002, or under Wine as 10060 (WSAETIMEDOUT);
      // like a refused connection or a bad name, it means no answer.
      if (!Http().SendRequest(request.get(), header_block.c_str(),
                              static_cast<DWORD>(header_block.size()),
                              WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
          !Http().ReceiveResponse(request.get(), nullptr)) {
        return {};
      }
      DWORD status = 0;
      DWORD size = sizeof status;
      if (!Http().QueryHeaders(
              request.get(),
              WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
              WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
              WINHTTP_NO_HEADER_INDEX)) {
        return {};
      }
      if (IsRedirect(status)) {
        const std::optional<std::wstring> location =
            QueryText(request.get(), WINHTTP_QUERY_LOCATION);
        if (location && !location->empty() && hop < kMaxRedirects) {
          std::optional<Target> next = Crack(Resolve(*target, *location));
          // Never from HTTPS down to HTTP, as WinHTTP's own policy has it.
          if (next && !(target->secure && !next->secure)) {
            target = std::move(next);
            continue;
          }
        }
      }
      HttpHeadResponse response;
      response.completed = true;
      response.status = static_cast<int>(status);
      if (auto length =
              QueryText(request.get(), WINHTTP_QUERY_CONTENT_LENGTH)) {
        response.content_length = win32::FromWide(*length);
      }
      if (auto modified =
              QueryText(request.get(), WINHTTP_QUERY_LAST_MODIFIED)) {
        response.last_modified = win32::FromWide(*modified);
      }
      return response;
    }
    return {};
  }

 private:
  static bool IsRedirect(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 ||
           status == 308;
  }

  // Bounds each step so that the whole hop fits in what is left of the
  // probe's time; WinHTTP's own default has no bound on name resolution.
  void Configure(HINTERNET request, DWORD remaining) const {
    const uint64_t sum = uint64_t(timeouts_.resolve) + timeouts_.connect +
                         timeouts_.send + timeouts_.receive;
    const auto scaled = [&](uint32_t ms) {
      const uint64_t value =
          sum <= remaining ? ms : ms * uint64_t(remaining) / sum;
      return static_cast<int>(std::max<uint64_t>(value, 1));
    };
    const int receive = scaled(timeouts_.receive);
    Http().SetTimeouts(request, scaled(timeouts_.resolve),
                       scaled(timeouts_.connect), scaled(timeouts_.send),
                       receive);
    // Under Wine only this one bounds a server that accepts and never
    // answers.
    DWORD response_ms = static_cast<DWORD>(receive);
    Http().SetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT,
                     &response_ms, sizeof response_ms);
    DWORD redirects = WINHTTP_DISABLE_REDIRECTS;
    Http().SetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &redirects,
                     sizeof redirects);
    // No credentials, not even the logged-on user's.
    DWORD logon = WINHTTP_AUTOLOGON_SECURITY_LEVEL_HIGH;
    Http().SetOption(request, WINHTTP_OPTION_AUTOLOGON_POLICY, &logon,
                     sizeof logon);
  }

  HttpProbeTimeouts timeouts_;
};

}  // namespace

std::unique_ptr<HttpProbe> NewWin32HttpProbe(HttpProbeTimeouts timeouts) {
  return std::make_unique<Win32HttpProbe>(timeouts);
}

}  // namespace zarn
