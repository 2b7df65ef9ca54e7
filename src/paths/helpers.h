// Module Helpers: does a path name something that is there (local, UNC,
// long, or a web address), and making folders exist.
#ifndef ZARN_PATHS_HELPERS_H_
#define ZARN_PATHS_HELPERS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/date_time.h"
#include "paths/unc.h"
#include "platform/file_system.h"
#include "platform/http_probe.h"

namespace zarn {

// The diagnostic sink of the configuration reader, the folder creation and
// the Excel clean-up. The daemon sets no sink, so its texts are discarded:
// nothing is shown, logged or passed to a debugger.
void TraceMessage(int level, std::u16string_view text, int a = 0, int b = 0,
                  int c = 0, int d = 0);
// Where TraceMessage hands its texts, for a test that looks at them;
// nullptr (the default) discards them. Returns the sink set before.
using TraceSink = void (*)(int level, std::u16string_view text);
TraceSink SetTraceSink(TraceSink sink);

// Cuts the first line off `text`: everything before the first line end,
// which is CR LF, a lone CR or a lone LF. Without one, the whole text.
std::u16string TakeLine(std::u16string& text);
// The same on a view, without copying what is left: taking every line of a
// text this way costs time in proportion to its length.
std::u16string_view TakeLine(std::u16string_view& text);

// Paths of this many characters or more no longer fit the plain Win32 calls
// (MAX_PATH counts the terminating NUL).
inline constexpr size_t kMaxPlainPath = 260;
// CreateDirectoryW stops earlier: a plain folder path leaves room for an
// 8.3 file name in it (MAX_PATH - 12). Paths from this length on go to the
// file system in their long form (Helpers::SystemPath).
inline constexpr size_t kMaxPlainFolderPath = 248;

// The long form of an absolute path: "\\?\UNC\" + the path without its two
// leading backslashes for a UNC path, "\\?\" + the path for a drive path.
// Any other path comes back unchanged: a relative one, one that begins with
// \\?\ or \??\ already, and a device path (\\.\CON, \\.\C:\..., also
// written //./ or //?/), which is no UNC path although it begins with two
// backslashes.
std::u16string LongPathForm(std::u16string_view path);

// The text before the last backslash of `path`, or all of `path` when it
// has none: C:\Logs\daemon.log gives C:\Logs, C:\daemon.log gives C:.
std::u16string GetParentFolder(std::u16string_view path);

// The Last-Modified value of an HTTP answer ("Sun, 06 Nov 1994 08:49:37
// GMT") as the date and time it names, without time-zone conversion. The
// weekday part (the first five characters) and the last four (" GMT") are
// cut off first. nullopt when the rest is not a day-month-year-time date.
std::optional<DateTime> ParseLastModified(std::u16string_view value);

// Content-Length as a 32-bit signed number; nullopt when it is not one.
std::optional<int32_t> ParseContentLength(std::u16string_view value);

class Helpers {
 public:
  Helpers(FileSystem& fs, HttpProbe& http, Unc& unc)
      : fs_(fs), http_(http), unc_(unc) {}
  Helpers(const Helpers&) = delete;
  Helpers& operator=(const Helpers&) = delete;

  // The bases of relative folder texts in EnsureFolder, set at start-up.
  void set_program_folder(std::u16string folder) {
    program_folder_ = std::move(folder);
  }
  void set_config_file_path(std::u16string path) {
    config_file_path_ = std::move(path);
  }

  // True when the path names an existing file or folder, or an HTTP(S)
  // address answered with a status from 200 to 399.
  bool CheckFileExists(std::u16string_view path);
  static bool IsHttpPath(std::u16string_view path);
  // The attribute bits, or -1 when they can't be read. Long paths are
  // queried in their long form (SystemPath).
  int32_t QueryAttributes(std::u16string_view path);
  // HEAD request; found for a final status from 200 to 399. `size` from
  // Content-Length (0 when absent or not a 32-bit number), `last_modified`
  // from Last-Modified (nullopt when absent or unreadable).
  bool QueryHttpFile(std::u16string_view address, int32_t& size,
                     std::optional<DateTime>& last_modified);
  // Rewrites a path of 260 characters or more to its full \\?\ or
  // \\?\UNC\ form (SystemPath) in place, a device path excepted; true
  // when a file (not a folder) exists there.
  bool CheckLongPath(std::u16string& path);

  // Resolves `folder` (or `default_folder` when it is empty) against the
  // configuration file's folder, or the program folder when no
  // configuration file was found, and creates what is missing. Returns the
  // target whether or not it exists afterwards.
  std::u16string EnsureFolder(std::u16string_view default_folder,
                              std::u16string_view folder);
  // The target EnsureFolder would make, without making it.
  std::u16string ResolveFolder(std::u16string_view default_folder,
                               std::u16string_view folder) const;
  // True when a directory search finds the path, folders included. A
  // trailing backslash is not removed.
  bool FolderExists(std::u16string_view path);
  // Creates every folder along the path; failures are ignored.
  void MakePath(std::u16string_view path);
  // The folders MakePath creates for `path`, in order, each in its system
  // form (SystemPath).
  std::vector<std::u16string> FolderSteps(std::u16string_view path);

  // The form in which the file system calls reach `path`, made here alone
  // for every call that hands a path to the system. A path of 248
  // characters or more is made full first (FileSystem::FullPath resolves
  // "." and "..", which the long form would take as names) and takes the
  // \\?\ or \\?\UNC\ form when it is still that long. Shorter paths go as
  // they are, and the system resolves them. Device paths go as they are
  // too, at any length, and so does the \\.\CON that the full form makes
  // of a reserved name such as CON.
  //
  // A path that begins with \\?\ or \??\ also goes as it is, but nothing
  // resolves it: the prefix turns off all parsing, and the rest reaches the
  // file system unchanged. A "." or ".." in it is a name there, not a step
  // up, and names nothing on the usual file systems, so the call fails;
  // nor is "/" a separator there. Such a path must be given in full.
  std::u16string SystemPath(std::u16string_view path);

 private:
  FileSystem& fs_;
  HttpProbe& http_;
  Unc& unc_;
  std::u16string program_folder_;
  std::u16string config_file_path_;
};

}  // namespace zarn

#endif  // ZARN_PATHS_HELPERS_H_
