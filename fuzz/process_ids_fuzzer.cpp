// Text as the ProcessIDs list, taken entry by entry and through the whole
// clean-up loop. Whatever the text, the loop ends, every take shortens the
// list, and nothing is ended that the text does not name; never our own
// process.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/text.h"
#include "process/excel_cleanup.h"
#include "testing/fake_process_table.h"
#include "testing/fake_regional.h"
#include "testing/fake_settings_store.h"
#include "testing/fake_user_name.h"
#include "testing/fake_window_finder.h"
#include "testing/fake_wmi_process_service.h"

namespace zarn {
namespace {

constexpr uint32_t kOwnId = 4242;

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

struct Seams {
  explicit Seams(std::u16string_view list) {
    settings.Set(settings::kProcessIds, list);
    processes.AddProcess(kOwnId + 1, u"EXCEL.EXE");
  }
  std::u16string List() const {
    return settings.Get(settings::kProcessIds).value_or(u"");
  }
  FakeSettingsStore settings;
  FakeProcessTable processes{kOwnId};
  FakeWindowFinder windows;
  FakeUserNameSource user_name;
  FakeWmiProcessService wmi;
  FakeRegional regional;
  ExcelCleanUp cleanup{settings, processes, windows, user_name, wmi, regional};
};

// Every termination asked for names an id written in the text, and not ours.
void CheckTerminations(const FakeProcessTable& processes,
                       std::u16string_view text) {
  for (const std::string& call : processes.calls()) {
    if (call.rfind("Terminate ", 0) != 0) continue;
    const std::string id = call.substr(10, call.find(' ', 10) - 10);
    Check(id != std::to_string(kOwnId));
    Check(Contains(text, Utf8ToUtf16(id)));
    Check(call.substr(10 + id.size()) == " 0");
  }
}

void Fuzz(std::u16string_view text) {
  {  // Take by take.
    Seams seams(text);
    for (size_t takes = 0;; ++takes) {
      Check(takes <= text.size());
      const std::u16string before = seams.List();
      const int64_t id = seams.cleanup.TakeFirstProcessID();
      const std::u16string after = seams.List();
      if (id == -1) {
        Check(after == before);
        break;
      }
      Check(after.size() < before.size());
      Check(id == -2 || id >= 0);
      if (id >= 0) Check(Contains(text, ToDecimal(id)));
    }
  }
  {  // The clean-up's loop.
    Seams seams(text);
    size_t reads = 0;
    seams.settings.set_on_read(
        [&](std::u16string_view) { Check(++reads <= text.size() + 2); });
    seams.cleanup.KillRegisteredProcesses();
    CheckTerminations(seams.processes, text);
    // What is left can't be taken any more.
    const std::u16string rest = seams.List();
    Check(seams.cleanup.TakeFirstProcessID() == -1);
    Check(seams.List() == rest);
  }
  {  // A store that refuses every write still lets the loop end.
    Seams seams(text);
    seams.settings.set_fail_writes(true);
    size_t reads = 0;
    seams.settings.set_on_read(
        [&](std::u16string_view) { Check(++reads <= 2); });
    seams.cleanup.KillRegisteredProcesses();
    CheckTerminations(seams.processes, text);
    Check(seams.List() == text);
  }
}

}  // namespace
}  // namespace zarn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One character per byte: the list's alphabet is ASCII.
  zarn::Fuzz(std::u16string(data, data + size));
  return 0;
}
