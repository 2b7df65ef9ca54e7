// The checker as the restart tests find it: it handed over "RUN", reported
// just now, names its workbook and Excel's window, and logs to a folder
// that exists; Excel is associated with the workbook.
#ifndef ZARN_TESTING_REPORTING_CHECKER_H_
#define ZARN_TESTING_REPORTING_CHECKER_H_

#include "testing/fake_platform.h"

namespace zarn {

inline constexpr char16_t kLogPath[] = u"C:\\Logs\\daemon.log";
inline constexpr char16_t kWorkbook[] = u"C:\\Tools\\Daemon\\Check.xls";
inline constexpr char16_t kCaption[] = u"Microsoft Excel - Check.xls";

inline void PrepareReportingChecker(FakePlatform& fake) {
  FakeSettingsStore& s = fake.settings;
  s.Set(settings::kDaemonCommand, u"RUN");
  s.Set(settings::kLiveStatusExec, u"Check.xls");
  s.Set(settings::kLiveStatusCaption, kCaption);
  s.Set(settings::kDaemonLog, kLogPath);
  s.Set(settings::kLiveStatusTime,
        fake.regional.FormatDateTime(fake.clock.Now()));
  fake.file_system.AddFolder(u"C:\\Logs");
  fake.shell.Associate(kWorkbook, u"C:\\Office\\EXCEL.EXE");
}

}  // namespace zarn

#endif  // ZARN_TESTING_REPORTING_CHECKER_H_
