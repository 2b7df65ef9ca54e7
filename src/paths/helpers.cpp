#include "paths/helpers.h"

#include <array>
#include <limits>
#include <vector>

#include "common/text.h"

namespace zarn {
namespace {

bool IsUncPath(std::u16string_view path) {
  return path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\';
}

bool IsDrivePath(std::u16string_view path) {
  return path.size() >= 3 && path[1] == u':' && path[2] == u'\\';
}

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// \\?\ and \??\ (the object manager's own prefix for the same names):
// the system hands what follows to the file system without parsing it, so
// there is nothing to resolve or to prefix.
bool IsVerbatimPath(std::u16string_view path) {
  return StartsWith(path, u"\\\\?\\") || StartsWith(path, u"\\??\\");
}

// \\.\ (also written //./ or //?/) and \\. alone: the device namespace,
// which the system normalises itself. The first two backslashes make no UNC
// path of it: "\\?\UNC\.\CON" would ask for a server named ".".
bool IsDevicePath(std::u16string_view path) {
  return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
         (path[2] == u'.' || path[2] == u'?') &&
         (path.size() == 3 || IsSeparator(path[3]));
}

bool ReadChar(std::u16string_view text, size_t& pos, char16_t c) {
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

// The daemon has one thread; nothing else sets or reads the sink.
TraceSink trace_sink = nullptr;

}  // namespace

void TraceMessage(int level, std::u16string_view text, int /*a*/, int /*b*/,
                  int /*c*/, int /*d*/) {
  // In the daemon diagnostic texts are not shown, logged or stored anywhere.
  if (trace_sink) trace_sink(level, text);
}

TraceSink SetTraceSink(TraceSink sink) {
  const TraceSink before = trace_sink;
  trace_sink = sink;
  return before;
}

std::u16string TakeLine(std::u16string& text) {
  std::u16string_view rest(text);
  std::u16string line(TakeLine(rest));
  text.erase(0, text.size() - rest.size());
  return line;
}

std::u16string_view TakeLine(std::u16string_view& text) {
  const size_t end = text.find_first_of(u"\r\n");
  if (end == std::u16string_view::npos) {
    const std::u16string_view line = text;
    text = {};
    return line;
  }
  const std::u16string_view line = text.substr(0, end);
  // CR LF, a lone CR and a lone LF each end one line: a file saved by a Unix
  // editor or with old Mac line ends keeps every setting.
  size_t next = end + 1;
  if (text[end] == u'\r' && next < text.size() && text[next] == u'\n') ++next;
  text.remove_prefix(next);
  return line;
}

std::u16string LongPathForm(std::u16string_view path) {
  if (IsVerbatimPath(path) || IsDevicePath(path)) return std::u16string(path);
  if (IsUncPath(path)) {
    return u"\\\\?\\UNC\\" + std::u16string(path.substr(2));
  }
  if (IsDrivePath(path)) return u"\\\\?\\" + std::u16string(path);
  return std::u16string(path);
}

std::u16string GetParentFolder(std::u16string_view path) {
  const size_t last = path.rfind(u'\\');
  if (last == std::u16string_view::npos) return std::u16string(path);
  return std::u16string(path.substr(0, last));
}

std::optional<DateTime> ParseLastModified(std::u16string_view value) {
  // "Sun, 06 Nov 1994 08:49:37 GMT": from the 6th character on, at most 1000
  // of them, without the last four.
  if (value.size() <= 5) return std::nullopt;
  std::u16string_view rest = value.substr(5, 1000);
  if (rest.size() < 4) return std::nullopt;
  rest.remove_suffix(4);

  static constexpr std::array<std::u16string_view, 12> kMonths = {
      u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
      u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  CivilTime t;
  size_t pos = 0;
  if (!ReadDigits(rest, pos, 1, 2, t.day) || !ReadChar(rest, pos, u' ')) {
    return std::nullopt;
  }
  if (rest.size() < pos + 3) return std::nullopt;
  const std::u16string_view month_name = rest.substr(pos, 3);
  t.month = 0;
  for (size_t i = 0; i < kMonths.size(); ++i) {
    if (EqualsIgnoreCase(month_name, kMonths[i])) t.month = int(i) + 1;
  }
  pos += 3;
  if (t.month == 0 || !ReadChar(rest, pos, u' ') ||
      !ReadDigits(rest, pos, 4, 4, t.year) || !ReadChar(rest, pos, u' ') ||
      !ReadDigits(rest, pos, 1, 2, t.hour) || !ReadChar(rest, pos, u':') ||
      !ReadDigits(rest, pos, 2, 2, t.minute) || !ReadChar(rest, pos, u':') ||
      !ReadDigits(rest, pos, 2, 2, t.second) || pos != rest.size()) {
    return std::nullopt;
  }
  if (t.year < 100 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) ||
      t.hour > 23 || t.minute > 59 || t.second > 59) {
    return std::nullopt;
  }
  return DateTime::FromCivil(t);
}

std::optional<int32_t> ParseContentLength(std::u16string_view value) {
  const std::optional<uint64_t> number =
      ParseDecimal(TrimSpaces(value), std::numeric_limits<int32_t>::max());
  if (!number) return std::nullopt;
  return static_cast<int32_t>(*number);
}

bool Helpers::CheckFileExists(std::u16string_view path) {
  if (IsHttpPath(path)) {
    int32_t size = 0;
    std::optional<DateTime> last_modified;
    return QueryHttpFile(path, size, last_modified);
  }
  if (QueryAttributes(path) >= 0) return true;
  // A UNC path that can't be read directly may be readable through the
  // drive letter it is mapped to. The second query runs even when the
  // alternative equals the path.
  return QueryAttributes(unc_.ToDrivePath(path)) >= 0;
}

bool Helpers::IsHttpPath(std::u16string_view path) {
  return EqualsIgnoreCase(path.substr(0, 5), u"HTTP:") ||
         EqualsIgnoreCase(path.substr(0, 6), u"HTTPS:");
}

int32_t Helpers::QueryAttributes(std::u16string_view path) {
  const std::optional<uint32_t> attributes =
      fs_.GetAttributes(SystemPath(path));
  if (!attributes) return -1;
  // The value is a signed number in which -1 means unreadable; no real
  // attribute set comes near the sign bit.
  return static_cast<int32_t>(*attributes & 0x7FFFFFFFu);
}

bool Helpers::QueryHttpFile(std::u16string_view address, int32_t& size,
                            std::optional<DateTime>& last_modified) {
  size = 0;
  last_modified.reset();
  const HttpHeadResponse response = http_.Head(
      address,
      {{u"Cache-Control", u"no-store, no-cache"}, {u"Pragma", u"no-cache"}});
  if (!response.completed) return false;
  // A 404 or 500 answer completes the exchange but names nothing that is
  // there.
  if (response.status < 200 || response.status > 399) return false;
  const std::optional<int32_t> length =
      response.content_length ? ParseContentLength(*response.content_length)
                              : std::nullopt;
  // Without a readable size the date is not looked at either.
  if (!length) return true;
  size = *length;
  if (response.last_modified) {
    last_modified = ParseLastModified(*response.last_modified);
  }
  return true;
}

bool Helpers::CheckLongPath(std::u16string& path) {
  if (path.size() >= kMaxPlainPath) path = SystemPath(path);
  const std::optional<uint32_t> attributes = fs_.GetAttributes(path);
  return attributes && (*attributes & kAttributeDirectory) == 0;
}

std::u16string Helpers::ResolveFolder(std::u16string_view default_folder,
                                      std::u16string_view folder) const {
  std::u16string text(folder.empty() ? default_folder : folder);
  const bool absolute = StartsWith(text, u"\\\\") || StartsWith(text, u"//") ||
                        (text.size() >= 2 && text[1] == u':') ||
                        Contains(text, u"://");
  if (absolute) return text;
  // A relative folder lies in the folder of the configuration file, or in
  // the program folder when no configuration file was found.
  const size_t slash = config_file_path_.rfind(u'\\');
  if (!config_file_path_.empty() && slash != std::u16string::npos) {
    return config_file_path_.substr(0, slash + 1) + text;
  }
  return program_folder_ + text;
}

std::u16string Helpers::EnsureFolder(std::u16string_view default_folder,
                                     std::u16string_view folder) {
  const std::u16string target = ResolveFolder(default_folder, folder);
  if (!FolderExists(target)) {
    MakePath(target);
    if (!FolderExists(target)) {
      TraceMessage(2,
                   u"Der Pfad '" + target + u"' konnte nicht erzeugt werden.",
                   0, 0, 0, 0);
    }
  }
  return target;
}

bool Helpers::FolderExists(std::u16string_view path) {
  return fs_.FindEntry(SystemPath(path));
}

void Helpers::MakePath(std::u16string_view path) {
  for (const std::u16string& step : FolderSteps(path)) fs_.CreateFolder(step);
}

std::vector<std::u16string> Helpers::FolderSteps(std::u16string_view path) {
  std::vector<std::u16string> steps;
  // The search starts at the fourth character, so the backslash of a drive
  // root and the two leading backslashes of a UNC path never split it.
  size_t from = 3;
  while (true) {
    const size_t p =
        from < path.size() ? path.find(u'\\', from) : std::u16string_view::npos;
    if (p == std::u16string_view::npos) {
      steps.push_back(SystemPath(path));
      return steps;
    }
    // Each step is made full on its own: a ".." in the path then climbs
    // as it would in a plain path.
    steps.push_back(SystemPath(path.substr(0, p)));
    from = p + 1;
  }
}

std::u16string Helpers::SystemPath(std::u16string_view path) {
  if (path.size() < kMaxPlainFolderPath || IsVerbatimPath(path) ||
      IsDevicePath(path)) {
    return std::u16string(path);
  }
  std::optional<std::u16string> full = fs_.FullPath(path);
  if (!full) return std::u16string(path);
  // A reserved name such as CON comes back as \\.\CON, which stays as it
  // is however long the path was.
  if (full->size() < kMaxPlainFolderPath || IsDevicePath(*full)) {
    return *std::move(full);
  }
  return LongPathForm(*full);
}

}  // namespace zarn
