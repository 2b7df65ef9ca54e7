#include "config/cfg_reader.h"

#include <span>

#include "common/text.h"

namespace zarn {
namespace {

constexpr std::u16string_view kBegin = u"|BEGIN|";
constexpr std::u16string_view kEnd = u"|END|";
constexpr std::u16string_view kCrLf = u"\r\n";

// Splits text as Line Input reads a file: each CR LF, lone CR or lone LF ends
// a line; a line end at the very end of the text opens no further line.
std::vector<std::u16string> SplitLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  while (!text.empty()) lines.emplace_back(TakeLine(text));
  return lines;
}

}  // namespace

void CfgReader::GetCFGString(std::u16string_view text_in) {
  if (!lines_) {
    lines_.emplace();
    section_lines_.emplace();
  }
  if (!section_lines_) section_lines_.emplace();
  // A view that moves on, line by line: cutting each line off the front of
  // a string would copy the rest every time, and a large file would take
  // time by the square of its size.
  std::u16string_view text = text_in;
  while (!text.empty()) {
    std::u16string entry = NextLine(text);
    if (entry.empty()) break;
    if (Contains(entry, kBegin)) {
      entry = RemoveAll(entry, kBegin);
      // The end marker counts only on the lines after the begin line.
      while (true) {
        std::u16string next = NextLine(text);
        if (next.empty()) break;
        if (Contains(next, kEnd)) {
          entry += RemoveAll(next, kEnd);
          break;
        }
        entry += next;
        entry += kCrLf;
      }
    }
    lines_->push_back(entry);
    section_lines_->push_back(std::move(entry));
  }
}

bool CfgReader::GetCfgUTF8(std::u16string_view path) {
  const std::optional<std::vector<uint8_t>> bytes =
      fs_.ReadFile(helpers_.SystemPath(path));
  if (!bytes) return false;
  std::span<const uint8_t> content(*bytes);
  if (content.size() >= 3 && content[0] == 0xEF && content[1] == 0xBB &&
      content[2] == 0xBF) {
    content = content.subspan(3);
  }
  // ADODB.Stream's part: the whole content as UTF-8, decoded here rather
  // than by the platform's conversion that the decoded reading used.
  GetCFGString(Utf8ToUtf16(std::string_view(
      reinterpret_cast<const char*>(content.data()), content.size())));
  return true;
}

bool CfgReader::GetCfg(std::u16string_view path) {
  if (!helpers_.CheckFileExists(path)) return false;
  if (GetCfgDecoded(path)) return true;

  const std::optional<std::vector<uint8_t>> bytes =
      fs_.ReadFile(helpers_.SystemPath(path));
  if (!bytes) return false;
  if (!bytes->empty() && (*bytes)[0] == 0xEF) return GetCfgUTF8(path);

  // Line reading in the ANSI code page, lines as read, untrimmed.
  lines_.emplace();
  section_lines_.emplace();
  const std::vector<std::u16string> file_lines =
      SplitLines(bytes->empty() ? std::u16string()
                                : code_pages_.Decode(*bytes, kCodePageAnsi));
  for (size_t i = 0; i < file_lines.size(); ++i) {
    std::u16string line = file_lines[i];
    if (!TrimSpaces(line).empty()) {
      if (Contains(line, kBegin)) {
        line = RemoveAll(line, kBegin);
        while (++i < file_lines.size()) {
          const std::u16string& next = file_lines[i];
          if (Contains(next, kEnd)) {
            line += RemoveAll(next, kEnd);
            break;
          }
          line += next;
          line += kCrLf;
        }
      }
      lines_->push_back(line);
    }
    section_lines_->push_back(std::move(line));
  }
  return true;
}

bool CfgReader::GetSection(std::u16string_view name) {
  section_lines_.emplace();
  return GetSectionValues(name, *section_lines_);
}

std::u16string CfgReader::GetValue(std::u16string_view key) const {
  if (!section_lines_) return {};
  const std::u16string with_equals = std::u16string(key) + u"=";
  const std::u16string with_blank = std::u16string(key) + u" ";
  for (const std::u16string& entry : *section_lines_) {
    if (StartsWith(entry, with_equals)) {
      return TrimSpaces(std::u16string_view(entry).substr(with_equals.size()));
    }
    const size_t equals = entry.find(u'=');
    if (StartsWith(entry, with_blank) && equals != std::u16string::npos) {
      return TrimSpaces(std::u16string_view(entry).substr(equals + 1));
    }
  }
  return {};
}

bool CfgReader::GetSectionValues(std::u16string_view name,
                                 std::vector<std::u16string>& values) const {
  values.clear();
  if (!lines_) return false;
  const std::vector<std::u16string>& lines = *lines_;
  std::u16string header;
  header.reserve(name.size() + 2);
  header.push_back(u'[');
  header.append(name);
  header.push_back(u']');
  const auto starts_section = [](const std::u16string& entry) {
    return !entry.empty() && entry[0] == u'[';
  };
  bool found = false;
  size_t i = 0;
  while (i < lines.size()) {
    if (lines[i] == header) {
      ++i;
      while (i < lines.size() && !starts_section(lines[i])) {
        values.push_back(lines[i]);
        found = true;
        ++i;
      }
      // The entry that ended the body is passed over, not compared.
      if (i >= lines.size()) break;
    }
    ++i;
  }
  return found;
}

std::u16string CfgReader::NextLine(std::u16string_view& text) {
  while (true) {
    std::u16string trimmed = TrimSpaces(TakeLine(text));
    if (!trimmed.empty()) return trimmed;
    // Only blanks left; stops at the first other character, so a run of
    // blank lines is not scanned to the end once per line.
    if (text.find_first_not_of(u' ') == std::u16string_view::npos) {
      text = {};
      return {};
    }
  }
}

bool CfgReader::GetCfgDecoded(std::u16string_view path) {
  int32_t code_page = 0;
  bool has_mark = false;
  bool ok = true;
  const std::u16string text = unicode_file_.ReadTextFile(
      path, kCodePageDetect, code_page, has_mark, &ok);
  if (!ok) return false;
  TraceMessage(2,
               std::u16string(path) + u" opened with encoding: " +
                   EncodingName(code_page) + (has_mark ? u" BOM" : u" no BOM"),
               0, 0, 0, 0);
  GetCFGString(text);
  // Counted before splitting: a file of blanks counts as read.
  return !text.empty();
}

}  // namespace zarn
