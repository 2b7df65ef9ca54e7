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

// A line with the begin marker opens an entry that runs over the lines
// after it, up to and with the first one that holds the end marker, or to
// the end of the text. The lines are joined with CR LF, without the
// markers. `next_line` gives the line after the last one taken, and
// nullopt when there is none. Any other line is an entry by itself.
template <typename NextLineFn>
std::u16string JoinEntry(std::u16string line, NextLineFn next_line) {
  if (!Contains(line, kBegin)) return line;
  std::u16string entry = RemoveAll(line, kBegin);
  // The end marker counts only on the lines after the begin line.
  while (const std::optional<std::u16string> next = next_line()) {
    if (Contains(*next, kEnd)) {
      entry += RemoveAll(*next, kEnd);
      break;
    }
    entry += *next;
    entry += kCrLf;
  }
  return entry;
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
    std::u16string first = NextLine(text);
    if (first.empty()) break;
    // Blank lines are passed over inside an entry too.
    std::u16string entry = JoinEntry(
        std::move(first), [this, &text]() -> std::optional<std::u16string> {
          std::u16string next = NextLine(text);
          if (next.empty()) return std::nullopt;
          return next;
        });
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
      // Inside an entry, the lines are taken as read, blank ones too.
      line = JoinEntry(std::move(line), [&]() -> std::optional<std::u16string> {
        if (++i >= file_lines.size()) return std::nullopt;
        return file_lines[i];
      });
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
