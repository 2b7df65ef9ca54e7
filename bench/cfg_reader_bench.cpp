// GetCfg's throughput on a generated configuration of 10,000 sections whose
// bodies grow 1x, 10x and 100x, in the two encodings a suite writes: UTF-8
// without a mark (the UTF-8 test decides) and UTF-16 LE with a mark. The
// fitted complexity shows whether the cost grows linearly with the size.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/text.h"
#include "config/cfg_reader.h"
#include "paths/helpers.h"
#include "paths/unc.h"
#include "testing/fake_code_page_converter.h"
#include "testing/fake_file_system.h"
#include "testing/fake_http_probe.h"
#include "testing/fake_network_drives.h"

namespace zarn {
namespace {

constexpr int kSections = 10000;
constexpr char16_t kPath[] = u"C:\\Tools\\Daemon\\ZARN.cfg";

// 10,000 sections of 3 * `scale` entries, one block among them, and the
// daemon's own section last, where a lookup has the longest way.
std::u16string Configuration(int scale) {
  std::u16string text;
  for (int s = 0; s < kSections; ++s) {
    text += u"[Velmora-Suite Modul " + ToDecimal(s) + u"]\r\n";
    for (int k = 0; k < scale; ++k) {
      const std::u16string n = ToDecimal(k);
      text += u"TEMPPFAD" + n + u"=C:\\Temp\\Zärn\\Modul\\" + n + u"\r\n";
      text += u"LOADTIME" + n + u" = 00:05:00\r\n";
      text += u"NOTIZ" + n + u"=|BEGIN|Größe\r\n  geprüft |END|\r\n";
    }
  }
  text += u"[ZARN]\r\nCANCELTIME=00:10:00\r\n";
  return text;
}

std::vector<uint8_t> Encode(const std::u16string& text, bool utf16) {
  std::vector<uint8_t> bytes;
  if (!utf16) {
    const std::string utf8 = Utf16ToUtf8(text);
    return std::vector<uint8_t>(utf8.begin(), utf8.end());
  }
  bytes = {0xFF, 0xFE};
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  return bytes;
}

void BM_GetCfg(benchmark::State& state, bool utf16) {
  const int scale = static_cast<int>(state.range(0));
  const std::vector<uint8_t> bytes = Encode(Configuration(scale), utf16);
  FakeFileSystem fs;
  fs.AddFile(kPath, bytes);
  FakeHttpProbe http;
  FakeNetworkDrives drives;
  Unc unc(drives);
  Helpers helpers(fs, http, unc);
  FakeCodePageConverter code_pages;
  for (auto _ : state) {
    CfgReader reader(helpers, fs, code_pages);
    if (!reader.GetCfg(kPath)) {
      state.SkipWithError("GetCfg failed");
      break;
    }
    benchmark::DoNotOptimize(reader);
  }
  // Correctness once, outside the timing: the last section is there.
  CfgReader reader(helpers, fs, code_pages);
  reader.GetCfg(kPath);
  if (!reader.GetSection(u"ZARN") ||
      reader.GetValue(u"CANCELTIME") != u"00:10:00") {
    state.SkipWithError("the configuration did not read back");
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(bytes.size()));
  state.SetComplexityN(static_cast<int64_t>(bytes.size()));
  state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
}

void BM_GetCfgUtf8(benchmark::State& state) { BM_GetCfg(state, false); }
void BM_GetCfgUtf16(benchmark::State& state) { BM_GetCfg(state, true); }

BENCHMARK(BM_GetCfgUtf8)
    ->ArgName("scale")
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_GetCfgUtf16)
    ->ArgName("scale")
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace zarn
