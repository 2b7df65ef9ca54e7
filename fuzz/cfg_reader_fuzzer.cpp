// Bytes of a configuration file through every way the reader takes them:
// decoded reading, the UTF-8 reading that a leading 0xEF leads to, line
// reading, and text parsing given directly. Afterwards every section name
// and key that appears in the text is looked up, and each answer is held
// against what the lookup rules say it must be.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "common/text.h"
#include "config/cfg_reader.h"
#include "config/unicode_file.h"
#include "paths/helpers.h"
#include "paths/unc.h"
#include "testing/fake_code_page_converter.h"
#include "testing/fake_file_system.h"
#include "testing/fake_http_probe.h"
#include "testing/fake_network_drives.h"

namespace zarn {
namespace {

constexpr char16_t kPath[] = u"C:\\Tools\\Daemon\\ZARN.cfg";
// Lookups per input; enough to reach every name of a seed, few enough to
// keep an input of a few kilobytes quick.
constexpr size_t kMaxNames = 64;

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

// A code page conversion whose first call fails, as a platform without the
// code page would: the decoded reading then gives nothing, and GetCfg goes
// on to the UTF-8 reading or to line reading with the same bytes.
class FailFirstDecode final : public CodePageConverter {
 public:
  std::u16string Decode(std::span<const uint8_t> bytes,
                        int32_t code_page) override {
    if (calls_++ == 0) return {};
    return inner_.Decode(bytes, code_page);
  }
  std::string EncodeAnsi(std::u16string_view text) override {
    return inner_.EncodeAnsi(text);
  }

 private:
  int calls_ = 0;
  FakeCodePageConverter inner_;
};

struct Seams {
  explicit Seams(std::span<const uint8_t> bytes) {
    fs.AddFile(kPath, std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }
  FakeFileSystem fs;
  FakeHttpProbe http;
  FakeNetworkDrives drives;
  Unc unc{drives};
  Helpers helpers{fs, http, unc};
};

// Section names and keys as they stand in the text: "[name]" lines, and
// what comes before the first "=" or blank of any line.
void CollectNames(std::u16string_view text, std::vector<std::u16string>& names,
                  std::vector<std::u16string>& keys) {
  size_t start = 0;
  while (start < text.size() &&
         (names.size() < kMaxNames || keys.size() < kMaxNames)) {
    size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) end = text.size();
    const std::u16string line = TrimSpaces(text.substr(start, end - start));
    start = end + 1;
    if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
      if (names.size() < kMaxNames) {
        names.push_back(line.substr(1, line.size() - 2));
      }
      continue;
    }
    const size_t key_end = line.find_first_of(u"= ");
    if (key_end != 0 && key_end != std::u16string::npos &&
        keys.size() < kMaxNames) {
      keys.push_back(line.substr(0, key_end));
    }
  }
}

// GetValue's answer as the lookup rules give it for `entries`.
std::u16string ExpectedValue(const std::vector<std::u16string>& entries,
                             const std::u16string& key) {
  for (const std::u16string& entry : entries) {
    if (StartsWith(entry, key + u"=")) {
      return TrimSpaces(std::u16string_view(entry).substr(key.size() + 1));
    }
    const size_t equals = entry.find(u'=');
    if (StartsWith(entry, key + u" ") && equals != std::u16string::npos) {
      return TrimSpaces(std::u16string_view(entry).substr(equals + 1));
    }
  }
  return {};
}

void LookUpEverything(CfgReader& reader,
                      const std::vector<std::u16string>& names,
                      const std::vector<std::u16string>& keys) {
  for (const std::u16string& key : keys) {
    const std::u16string value = reader.GetValue(key);
    Check(TrimSpaces(value) == value);
  }
  for (const std::u16string& name : names) {
    std::vector<std::u16string> values = {u"stale"};
    const bool has_values = reader.GetSectionValues(name, values);
    Check(has_values == !values.empty());
    for (const std::u16string& entry : values) {
      Check(entry.empty() || entry[0] != u'[');
    }
    Check(reader.GetSection(name) == has_values);
    for (const std::u16string& key : keys) {
      Check(reader.GetValue(key) == ExpectedValue(values, key));
    }
  }
  // An absent section empties the selection.
  reader.GetSection(u"\u0001none\u0001");
  for (const std::u16string& key : keys) Check(reader.GetValue(key).empty());
}

void Fuzz(std::span<const uint8_t> bytes) {
  // The text as decoded reading sees it, for the names to look up.
  std::vector<std::u16string> names;
  std::vector<std::u16string> keys;
  Seams seams(bytes);
  FakeCodePageConverter code_pages;
  UnicodeFile unicode_file(seams.helpers, seams.fs, code_pages);
  int32_t code_page = 0;
  bool has_mark = false;
  bool ok = false;
  const std::u16string decoded = unicode_file.ReadTextFile(
      kPath, kCodePageDetect, code_page, has_mark, &ok);
  Check(ok);
  CollectNames(decoded, names, keys);

  {  // Decoded reading, or whatever GetCfg falls back on.
    CfgReader reader(seams.helpers, seams.fs, code_pages);
    Check(reader.GetCfg(kPath));
    Check(reader.has_lines());
    LookUpEverything(reader, names, keys);
  }
  {  // The decoded reading fails: UTF-8 reading after 0xEF, else lines.
    Seams own(bytes);
    FailFirstDecode failing;
    CfgReader reader(own.helpers, own.fs, failing);
    Check(reader.GetCfg(kPath));
    Check(reader.has_lines());
    const std::u16string ansi = FakeCodePageConverter().Decode(bytes, 0);
    CollectNames(ansi, names, keys);
    LookUpEverything(reader, names, keys);
  }
  {  // The UTF-8 reading on its own, then more text appended to it.
    CfgReader reader(seams.helpers, seams.fs, code_pages);
    Check(reader.GetCfgUTF8(kPath));
    reader.GetCFGString(decoded);
    LookUpEverything(reader, names, keys);
  }
  {  // Text parsing of the bytes taken as UTF-16 code units, lone
     // surrogates and all.
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
      units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    CfgReader reader(seams.helpers, seams.fs, code_pages);
    reader.GetCFGString(units);
    Check(reader.has_lines());
    CollectNames(units, names, keys);
    LookUpEverything(reader, names, keys);
  }
}

}  // namespace
}  // namespace zarn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zarn::Fuzz(std::span<const uint8_t>(data, size));
  return 0;
}
