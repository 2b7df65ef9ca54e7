// The Excel clean-up before a restart: Excel's error-reporting companions
// of the current user, the processes of the ProcessIDs list, and the
// checker's live status.
#ifndef ZARN_PROCESS_EXCEL_CLEANUP_H_
#define ZARN_PROCESS_EXCEL_CLEANUP_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process_table.h"
#include "platform/regional.h"
#include "platform/settings_store.h"
#include "platform/user_name.h"
#include "platform/window_finder.h"
#include "platform/wmi_process_service.h"

namespace zarn {

class ExcelCleanUp {
 public:
  ExcelCleanUp(SettingsStore& settings, ProcessTable& processes,
               WindowFinder& windows, UserNameSource& user_name,
               WmiProcessService& wmi, Regional& regional)
      : settings_(settings),
        processes_(processes),
        windows_(windows),
        user_name_(user_name),
        wmi_(wmi),
        regional_(regional) {}
  ExcelCleanUp(const ExcelCleanUp&) = delete;
  ExcelCleanUp& operator=(const ExcelCleanUp&) = delete;

  // True when an Excel main window (class "XLMain") with this whole title
  // exists (the window system ignores letter case); false for an empty
  // caption without asking.
  bool IsExcelWindowOpen(std::u16string_view caption);
  // The processes to dump before the clean-up ends them: the owner of the
  // checker's Excel window with this title, then every process of
  // ProcessIDs in the order the clean-up takes them, each once, never
  // our own and never 0. Reads the list without changing it.
  std::vector<uint32_t> ProcessesToDump(std::u16string_view caption);
  // Removes every "(id)" of `process_id` that stands as an entry of
  // ProcessIDs (at the front or after a ")"); -1 stands for our own
  // process.
  void RemoveProcessID(int64_t process_id);
  // Takes the first entry off ProcessIDs: its id, or -1 when the list is
  // empty or doesn't start with an entry (the list is then left alone).
  // The entry's own text leaves the list, every copy of it, and so does
  // every "(id)" of the same id. -2 when the entry was removed but names no
  // process id (not a 32-bit decimal number, or negative): skip it.
  int64_t TakeFirstProcessID();
  // Ends every listed process except our own and leaves the list empty.
  void KillRegisteredProcesses();
  // LiveStatusTime = the never-reported marker, LiveStatus = empty.
  void ResetLiveStatus();
  // The user's name, read once it is non-empty and then kept.
  std::u16string GetCurrentUserName();
  // Ends the processes of that name belonging to that user (every user's
  // when `user_name` is empty). WMI failures are swallowed.
  void KillProcessesByNameAndOwner(std::u16string_view exe_name,
                                   std::u16string_view user_name);
  // The whole sequence: the companions of our own user, then the listed
  // processes, then the live status. When our user name can't be read, no
  // companion is ended, and TraceMessage says so.
  void CleanUpExcel();
  // Readies CleanUpExcel ahead of a likely restart: reads the user's name
  // and makes one WMI connection, dropped at once, which loads WMI into
  // the process; that takes tens of milliseconds, which the restart then
  // does not wait for. Ends nothing and writes nothing.
  void PrepareCleanUp();

 private:
  SettingsStore& settings_;
  ProcessTable& processes_;
  WindowFinder& windows_;
  UserNameSource& user_name_;
  WmiProcessService& wmi_;
  Regional& regional_;
  // TakeFirstProcessID; `written` tells whether the shorter list reached
  // the store, without which the list would never empty.
  int64_t TakeFirstProcessID(bool& written);

  std::u16string kept_user_name_;
};

}  // namespace zarn

#endif  // ZARN_PROCESS_EXCEL_CLEANUP_H_
