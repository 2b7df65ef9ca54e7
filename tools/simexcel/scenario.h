// The "workbook" SimExcel opens: a small scenario file (.zsim) that says
// how the simulated checker reports, when it falls silent and when it
// finishes, first and after a restart by the daemon.
#ifndef ZARN_TOOLS_SIMEXCEL_SCENARIO_H_
#define ZARN_TOOLS_SIMEXCEL_SCENARIO_H_

#include <string>
#include <utility>
#include <vector>

namespace zarn::sim {

struct Phase {
  // Milliseconds between two reports into LiveStatusTime.
  int report_interval_ms = 1000;
  // LiveStatusFunc values with how long each lasts, in seconds, cycled.
  std::vector<std::pair<std::wstring, int>> activities = {{L"Analyse", 0}};
  // Seconds after the start at which it stops reporting but stays alive,
  // as a hung Excel does; -1 never, 0 before its first report.
  int silent_after = -1;
  // Seconds after the start at which it writes "Finished"; -1 never.
  int finish_after = -1;
  // Start ZARNDaemon.exe after the hand-over values are written.
  bool start_daemon = true;
};

struct Scenario {
  std::wstring caption = L"ZARN Simulation - Mappe1.zsim";
  std::wstring command = L"SIMEXCEL";
  // Folder of ZARNDaemon.exe; empty: SimExcel's own folder.
  std::wstring daemon_folder;
  // SimExcel's event log; relative to the workbook's folder.
  std::wstring log = L"simexcel.log";
  Phase first;
  Phase restarted;
};

// Reads "key=value" lines; "[first]" and "[restarted]" select the phase
// that the phase keys apply to. Unknown keys are ignored. Gives false with
// a message when the file can't be read or a value is malformed.
bool LoadScenario(const std::wstring& path, Scenario& scenario,
                  std::wstring& error);

}  // namespace zarn::sim

#endif  // ZARN_TOOLS_SIMEXCEL_SCENARIO_H_
