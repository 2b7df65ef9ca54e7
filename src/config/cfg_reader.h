// CfgReader reads the suite's sectioned configuration file and answers
// lookups: select a section, then ask for values by key.
#ifndef ZARN_CONFIG_CFG_READER_H_
#define ZARN_CONFIG_CFG_READER_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/config_keys.h"
#include "config/unicode_file.h"
#include "paths/helpers.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace zarn {

// The features that own keys of the selected section read them through
// ConfigSection.
class CfgReader : public ConfigSection {
 public:
  CfgReader(Helpers& helpers, FileSystem& fs, CodePageConverter& code_pages)
      : helpers_(helpers),
        fs_(fs),
        code_pages_(code_pages),
        unicode_file_(helpers, fs, code_pages) {}

  // Parses a configuration given as one string, appending to the lists.
  void GetCFGString(std::u16string_view text);
  // Reads the file as UTF-8 (a leading mark skipped) and parses it.
  bool GetCfgUTF8(std::u16string_view path);
  // Reads a configuration file in the first of the three ways that applies.
  bool GetCfg(std::u16string_view path);
  // Selects a section; true when it has at least one entry.
  bool GetSection(std::u16string_view name);
  // The trimmed value for `key` in the selected entries, or empty.
  std::u16string GetValue(std::u16string_view key) const override;
  // Replaces `values` by the section's whole entries, in file order.
  bool GetSectionValues(std::u16string_view name,
                        std::vector<std::u16string>& values) const;

  bool has_lines() const { return lines_.has_value(); }

 private:
  // Takes the next non-blank line, trimmed, off the front of `text`.
  std::u16string NextLine(std::u16string_view& text);
  bool GetCfgDecoded(std::u16string_view path);

  Helpers& helpers_;
  FileSystem& fs_;
  CodePageConverter& code_pages_;
  UnicodeFile unicode_file_;
  std::optional<std::vector<std::u16string>> lines_;          // Lines
  std::optional<std::vector<std::u16string>> section_lines_;  // SectionLines
};

}  // namespace zarn

#endif  // ZARN_CONFIG_CFG_READER_H_
