#include "scenario.h"

#include <fstream>
#include <sstream>

#include "common/text.h"

namespace zarn::sim {
namespace {

std::wstring Trim(const std::wstring& s) {
  const size_t b = s.find_first_not_of(L" \t\r\n");
  if (b == std::wstring::npos) return L"";
  const size_t e = s.find_last_not_of(L" \t\r\n");
  return s.substr(b, e - b + 1);
}

bool ToInt(const std::wstring& text, int& out) {
  try {
    size_t used = 0;
    out = std::stoi(text, &used);
    return used == text.size();
  } catch (...) {
    return false;
  }
}

// "WorkbooksOpen:3,SpecialCells:2,Analyse:5"
bool ParseActivities(const std::wstring& text,
                     std::vector<std::pair<std::wstring, int>>& out) {
  out.clear();
  std::wstringstream items(text);
  std::wstring item;
  while (std::getline(items, item, L',')) {
    const size_t colon = item.rfind(L':');
    int seconds = 0;
    if (colon == std::wstring::npos ||
        !ToInt(Trim(item.substr(colon + 1)), seconds) || seconds < 0) {
      return false;
    }
    out.emplace_back(Trim(item.substr(0, colon)), seconds);
  }
  return !out.empty();
}

}  // namespace

bool LoadScenario(const std::wstring& path, Scenario& scenario,
                  std::wstring& error) {
  std::ifstream in(path.c_str(), std::ios::binary);
  if (!in) {
    error = L"cannot read " + path;
    return false;
  }
  std::stringstream bytes;
  bytes << in.rdbuf();
  const std::u16string text16 = Utf8ToUtf16(bytes.str());
  std::wstringstream lines(std::wstring(text16.begin(), text16.end()));
  Phase* phase = &scenario.first;
  std::wstring line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    line = Trim(line);
    if (line.empty() || line[0] == L'#') continue;
    if (line == L"[first]") {
      phase = &scenario.first;
      continue;
    }
    if (line == L"[restarted]") {
      phase = &scenario.restarted;
      continue;
    }
    const size_t eq = line.find(L'=');
    if (eq == std::wstring::npos) {
      error = L"line " + std::to_wstring(number) + L": no '='";
      return false;
    }
    const std::wstring key = Trim(line.substr(0, eq));
    const std::wstring value = Trim(line.substr(eq + 1));
    bool ok = true;
    if (key == L"caption") {
      scenario.caption = value;
    } else if (key == L"command") {
      scenario.command = value;
    } else if (key == L"daemon_folder") {
      scenario.daemon_folder = value;
    } else if (key == L"log") {
      scenario.log = value;
    } else if (key == L"report_interval_ms") {
      ok = ToInt(value, phase->report_interval_ms) &&
           phase->report_interval_ms > 0;
    } else if (key == L"activities") {
      ok = ParseActivities(value, phase->activities);
    } else if (key == L"silent_after") {
      ok = ToInt(value, phase->silent_after);
    } else if (key == L"finish_after") {
      ok = ToInt(value, phase->finish_after);
    } else if (key == L"start_daemon") {
      phase->start_daemon = value == L"1" || value == L"true";
    }
    if (!ok) {
      error = L"line " + std::to_wstring(number) + L": bad value for " + key;
      return false;
    }
  }
  return true;
}

}  // namespace zarn::sim
