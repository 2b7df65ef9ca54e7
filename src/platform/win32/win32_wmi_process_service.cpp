#include "platform/win32/win32_wmi_process_service.h"

#include <windows.h>
// The COM and WMI headers need windows.h first.
#include <objbase.h>
#include <wbemidl.h>

#include <cwctype>
#include <limits>
#include <string>
#include <utility>

#include "common/text.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace zarn {
namespace {

template <typename T>
struct ComTraits {
  using Type = T*;
  static Type Invalid() { return nullptr; }
  static void Close(Type p) { p->Release(); }
};
template <typename T>
using ComPtr = win32::UniqueResource<ComTraits<T>>;

class Variant {
 public:
  Variant() { ::VariantInit(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { ::VariantClear(&value_); }
  VARIANT* get() { return &value_; }

 private:
  VARIANT value_;
};

win32::UniqueBstr MakeBstr(std::wstring_view text) {
  return win32::UniqueBstr(
      ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

// A text property; nullopt when it is missing or not a text.
std::optional<std::u16string> TextProperty(IWbemClassObject* object,
                                           const wchar_t* name) {
  Variant value;
  if (FAILED(object->Get(name, 0, value.get(), nullptr, nullptr)) ||
      value.get()->vt != VT_BSTR || value.get()->bstrVal == nullptr) {
    return std::nullopt;
  }
  const BSTR text = value.get()->bstrVal;
  return win32::FromWide(std::wstring_view(text, ::SysStringLen(text)));
}

// The ReturnValue of a method's out-parameters: 0 means success. A method
// that gives none counts as successful.
bool ReturnedSuccess(IWbemClassObject* out) {
  if (out == nullptr) return true;
  Variant value;
  if (FAILED(out->Get(L"ReturnValue", 0, value.get(), nullptr, nullptr))) {
    return true;
  }
  if (value.get()->vt == VT_NULL || value.get()->vt == VT_EMPTY) return true;
  if (FAILED(::VariantChangeType(value.get(), value.get(), 0, VT_I4))) {
    return false;
  }
  return value.get()->lVal == 0;
}

// Win32_Process.Handle is the process id as decimal text.
std::optional<uint32_t> ParseHandle(const std::optional<std::u16string>& text) {
  if (!text || text->size() > 10) return std::nullopt;
  const std::optional<uint64_t> value =
      ParseDecimal(*text, std::numeric_limits<uint32_t>::max());
  if (!value) return std::nullopt;
  return static_cast<uint32_t>(*value);
}

class Win32WmiSession final : public WmiSession {
 public:
  explicit Win32WmiSession(ComPtr<IWbemServices> services)
      : services_(std::move(services)) {}

  std::optional<std::vector<WmiProcess>> ExecQuery(
      std::u16string_view query) override {
    const std::wstring text = win32::ToWide(query);
    bool incomplete = false;
    auto found = Run(text, incomplete);
    if (!found || !incomplete) return found;
    // Wine gives the rows of "Select Name ..." without their path or key,
    // WBEM_FLAG_ENSURE_LOCATABLE notwithstanding. The same condition is then
    // asked again with every property selected.
    const size_t from = FindFrom(text);
    if (from == std::wstring::npos) return found;
    return Run(L"Select *" + text.substr(from), incomplete);
  }

  std::optional<std::u16string> GetOwner(std::u16string_view path) override {
    const auto object = MakeBstr(win32::ToWide(path));
    const auto method = MakeBstr(L"GetOwner");
    ComPtr<IWbemClassObject> out;
    if (FAILED(services_.get()->ExecMethod(object.get(), method.get(), 0,
                                           nullptr, nullptr, out.put(),
                                           nullptr)) ||
        !out || !ReturnedSuccess(out.get())) {
      return std::nullopt;
    }
    auto user = TextProperty(out.get(), L"User");
    if (!user || user->empty()) return std::nullopt;
    return user;
  }

  bool Terminate(std::u16string_view path) override {
    // Terminate takes an optional Reason; it is passed as 0.
    const auto class_name = MakeBstr(L"Win32_Process");
    ComPtr<IWbemClassObject> process_class;
    if (FAILED(services_.get()->GetObject(class_name.get(), 0, nullptr,
                                          process_class.put(), nullptr))) {
      return false;
    }
    ComPtr<IWbemClassObject> signature;
    if (FAILED(process_class.get()->GetMethod(L"Terminate", 0, signature.put(),
                                              nullptr))) {
      return false;
    }
    ComPtr<IWbemClassObject> in;
    if (signature) {
      if (FAILED(signature.get()->SpawnInstance(0, in.put()))) return false;
      Variant reason;
      reason.get()->vt = VT_I4;
      reason.get()->lVal = 0;
      in.get()->Put(L"Reason", 0, reason.get(), 0);
    }
    const auto object = MakeBstr(win32::ToWide(path));
    const auto method = MakeBstr(L"Terminate");
    ComPtr<IWbemClassObject> out;
    if (FAILED(services_.get()->ExecMethod(object.get(), method.get(), 0,
                                           nullptr, in.get(), out.put(),
                                           nullptr))) {
      return false;
    }
    return ReturnedSuccess(out.get());
  }

 private:
  // The query's rows; `incomplete` tells whether a row came without its
  // path, and was left out.
  std::optional<std::vector<WmiProcess>> Run(const std::wstring& query,
                                             bool& incomplete) {
    incomplete = false;
    const auto language = MakeBstr(L"WQL");
    const auto text = MakeBstr(query);
    ComPtr<IEnumWbemClassObject> rows;
    if (FAILED(services_.get()->ExecQuery(language.get(), text.get(),
                                          WBEM_FLAG_FORWARD_ONLY |
                                              WBEM_FLAG_RETURN_IMMEDIATELY |
                                              WBEM_FLAG_ENSURE_LOCATABLE,
                                          nullptr, rows.put()))) {
      return std::nullopt;
    }
    // Every row is read before any method runs; the enumerator is released
    // on return, since an open one has its rows corrupted by method calls.
    std::vector<WmiProcess> found;
    for (;;) {
      ComPtr<IWbemClassObject> row;
      ULONG returned = 0;
      const HRESULT hr = rows.get()->Next(static_cast<LONG>(-1) /* INFINITE */,
                                          1, row.put(), &returned);
      if (FAILED(hr)) return std::nullopt;
      if (returned == 0 || !row) break;
      auto path = TextProperty(row.get(), L"__PATH");
      if (!path) {
        incomplete = true;
        continue;
      }
      found.push_back(WmiProcess{
          std::move(*path), ParseHandle(TextProperty(row.get(), L"Handle"))});
    }
    return found;
  }

  // The position of " from " in a WQL select, ignoring letter case.
  static size_t FindFrom(const std::wstring& query) {
    std::wstring lower = query;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(::towlower(c));
    return lower.find(L" from ");
  }

  ComPtr<IWbemServices> services_;
};

void InitialiseComOnce() {
  // The daemon has one thread; COM stays initialised for its whole life.
  // A thread already in another apartment, or security already set, is
  // used as it is.
  static const bool initialised = [] {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ::CoInitializeSecurity(
        nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
        RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    return true;
  }();
  (void)initialised;
}

class Win32WmiProcessService final : public WmiProcessService {
 public:
  std::unique_ptr<WmiSession> Connect() override {
    InitialiseComOnce();
    ComPtr<IWbemLocator> locator;
    if (FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr,
                                  CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                  reinterpret_cast<void**>(locator.put())))) {
      return nullptr;
    }
    const auto name_space = MakeBstr(L"ROOT\\CIMV2");
    ComPtr<IWbemServices> services;
    if (FAILED(locator.get()->ConnectServer(name_space.get(), nullptr, nullptr,
                                            nullptr, 0, nullptr, nullptr,
                                            services.put()))) {
      return nullptr;
    }
    // As the moniker does: calls made with our identity, impersonated.
    ::CoSetProxyBlanket(services.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE,
                        nullptr, RPC_C_AUTHN_LEVEL_CALL,
                        RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    return std::make_unique<Win32WmiSession>(std::move(services));
  }
};

}  // namespace

std::unique_ptr<WmiProcessService> NewWin32WmiProcessService() {
  return std::make_unique<Win32WmiProcessService>();
}

}  // namespace zarn
