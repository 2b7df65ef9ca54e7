// The "workbook" SimExcel opens: a small scenario file (.zsim) that says
// how the simulated checker reports, when it falls silent and when it
// finishes, first and after a restart by the daemon.
#ifndef ZARN_TOOLS_SIMEXCEL_SCENARIO_H_
#define ZARN_TOOLS_SIMEXCEL_SCENARIO_H_

#include <string>
#include <utility>
#include <vector>

namespace zarn::sim {

// The keys of one phase; deployment.md describes them for the
// administrator's trial.
struct Phase {
  // report_interval_ms: milliseconds between two reports into
  // LiveStatusTime; above 0.
  int report_interval_ms = 1000;
  // activities: "Name:seconds,..." as LiveStatusFunc values with how long
  // each lasts, cycled; 0 seconds lasts for ever.
  std::vector<std::pair<std::wstring, int>> activities = {{L"Analyse", 0}};
  // silent_after: seconds after the start at which it stops reporting but
  // stays alive, as a hung Excel does; -1 never, 0 before its first report.
  int silent_after = -1;
  // finish_after: seconds after the start at which it writes "Finished" and
  // closes; -1 never.
  int finish_after = -1;
  // start_daemon: "1" or "true" starts ZARNDaemon.exe after the hand-over
  // values are written; any other value does not.
  bool start_daemon = true;
};

struct Scenario {
  // caption: the title of the Excel window, written into LiveStatusCaption.
  std::wstring caption = L"ZARN Simulation - Mappe1.zsim";
  // command: the hand-over command written into DAEMONCOMMAND.
  std::wstring command = L"SIMEXCEL";
  // daemon_folder: folder of ZARNDaemon.exe; empty: SimExcel's own folder;
  // relative: beside the workbook.
  std::wstring daemon_folder;
  // log: SimExcel's event log; relative to the workbook's folder.
  std::wstring log = L"simexcel.log";
  Phase first;
  Phase restarted;
};

// Reads a UTF-8 file of "key=value" lines, blanks around both trimmed;
// blank lines and lines starting with "#" are remarks. "[first]" (the
// phase until then) and "[restarted]" select the phase that the phase keys
// apply to. Unknown keys are ignored. Gives false with a message when the
// file can't be read, a line has no "=", or a value is malformed.
bool LoadScenario(const std::wstring& path, Scenario& scenario,
                  std::wstring& error);

}  // namespace zarn::sim

#endif  // ZARN_TOOLS_SIMEXCEL_SCENARIO_H_
