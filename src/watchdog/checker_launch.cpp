#include "watchdog/checker_launch.h"

#include "common/text.h"

namespace zarn {

std::u16string BuildExcelCommandLine(std::u16string_view program,
                                     std::u16string_view workbook_path) {
  std::u16string command = u"\"";
  command += program;
  command += u"\" /r \"";
  command += workbook_path;
  command += u"\"";
  return command;
}

std::u16string CheckerLaunch::FindAssociatedProgram(std::u16string_view path) {
  return TrimSpaces(shell_.FindExecutable(path));
}

uint32_t CheckerLaunch::StartCheckerWorkbook(std::u16string_view workbook_path,
                                             DateTime now) {
  if (workbook_path.find(u'"') != std::u16string_view::npos) {
    LogFailure(workbook_path, kErrorInvalidName, now);
    return kErrorInvalidName;
  }
  const std::u16string program = FindAssociatedProgram(workbook_path);
  if (!EndsWithIgnoreCase(program, u"EXCEL.EXE")) return 0;

  const std::u16string shown =
      settings_.ReadSetting(settings::kPellamShowStatusform, u"True");
  const ShowWindow show =
      shown == u"True" ? ShowWindow::kNormal : ShowWindow::kHidden;
  const uint32_t error =
      shell_.StartProcess(BuildExcelCommandLine(program, workbook_path), show);
  if (error != 0) LogFailure(workbook_path, error, now);
  return error;
}

void CheckerLaunch::LogFailure(std::u16string_view workbook_path,
                               uint32_t error, DateTime now) {
  std::u16string message = u"ZARND: Start ZARN fehlgeschlagen '";
  message += workbook_path;
  message += u"'";
  log_.WriteDaemonLog(now, message, static_cast<double>(error), 0);
}

}  // namespace zarn
