#include "testing/fake_wmi_process_service.h"

#include <algorithm>

#include "common/text.h"

namespace zarn {

class FakeWmiProcessService::Session final : public WmiSession {
 public:
  explicit Session(FakeWmiProcessService& service) : service_(service) {
    ++service_.open_sessions_;
  }
  ~Session() override { --service_.open_sessions_; }

  std::optional<std::vector<WmiProcess>> ExecQuery(
      std::u16string_view query) override {
    service_.calls_.push_back("ExecQuery " + Utf16ToUtf8(query));
    // Only the clean-up's own query is understood.
    constexpr std::u16string_view kPrefix =
        u"Select Name from Win32_Process Where Name = '";
    if (!StartsWith(query, kPrefix) || query.size() <= kPrefix.size() ||
        query.back() != u'\'') {
      return std::nullopt;
    }
    const std::u16string_view name =
        query.substr(kPrefix.size(), query.size() - kPrefix.size() - 1);
    if (Listed(service_.fail_query_, name)) return std::nullopt;
    std::vector<WmiProcess> rows;
    for (const Process& p : service_.processes_) {
      if (EqualsIgnoreCase(p.name, name)) {
        rows.push_back(WmiProcess{PathOf(p.process_id), p.process_id});
      }
    }
    return rows;
  }

  std::optional<std::u16string> GetOwner(std::u16string_view path) override {
    Process* p = service_.Find(path);
    service_.calls_.push_back("GetOwner " + IdText(p));
    if (!p || Listed(service_.fail_get_owner_, p->name)) return std::nullopt;
    return p->owner;
  }

  bool Terminate(std::u16string_view path) override {
    Process* p = service_.Find(path);
    service_.calls_.push_back("Terminate " + IdText(p));
    if (!p || service_.terminate_unsupported_ ||
        Listed(service_.fail_terminate_, p->name)) {
      return false;
    }
    const uint32_t id = p->process_id;
    service_.terminated_.push_back(id);
    auto& list = service_.processes_;
    list.erase(
        std::remove_if(list.begin(), list.end(),
                       [id](const Process& q) { return q.process_id == id; }),
        list.end());
    return true;
  }

 private:
  static std::string IdText(const Process* p) {
    return p ? std::to_string(p->process_id) : std::string("gone");
  }

  FakeWmiProcessService& service_;
};

std::unique_ptr<WmiSession> FakeWmiProcessService::Connect() {
  calls_.push_back("Connect");
  if (fail_connect_) return nullptr;
  return std::make_unique<Session>(*this);
}

void FakeWmiProcessService::AddProcess(uint32_t process_id, std::u16string name,
                                       std::optional<std::u16string> owner) {
  processes_.push_back(Process{process_id, std::move(name), std::move(owner)});
}

bool FakeWmiProcessService::IsRunning(uint32_t process_id) const {
  return std::any_of(
      processes_.begin(), processes_.end(),
      [&](const Process& p) { return p.process_id == process_id; });
}

std::u16string FakeWmiProcessService::PathOf(uint32_t process_id) {
  return u"\\\\FAKEHOST\\ROOT\\CIMV2:Win32_Process.Handle=\"" +
         ToDecimal(process_id) + u"\"";
}

bool FakeWmiProcessService::Listed(const std::vector<std::u16string>& names,
                                   std::u16string_view name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const auto& n) { return EqualsIgnoreCase(n, name); });
}

FakeWmiProcessService::Process* FakeWmiProcessService::Find(
    std::u16string_view path) {
  for (Process& p : processes_) {
    if (PathOf(p.process_id) == path) return &p;
  }
  return nullptr;
}

}  // namespace zarn
