// The names of the daemon's dumps: when a dump was written, on which
// computer and for which user, so that several daemons can share one
// folder and each keeps to its own dumps.
#ifndef ZARN_PROCESS_DUMP_NAMES_H_
#define ZARN_PROCESS_DUMP_NAMES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/date_time.h"
#include "platform/dump_writer.h"

namespace zarn {

// A computer's or user's name as it stands in a dump's name: each
// character that a file name can't hold ("*/:<>?\| and the control
// characters), "_" that separates the parts and "%" itself become "%"
// and two hexadecimal digits, as in "%5F". No two names give the same
// text, so no daemon takes another's dumps for its own.
std::u16string DumpNamePart(std::u16string_view name);

// "ZARN_2026-12-07T08-05-03Z_PC01_anna_PID812.dmp": the UTC time of the
// dump, which never repeats and sorts in time order, then the computer,
// the user and the process.
std::u16string DumpFileName(DateTime utc, const DumpOwner& owner,
                            uint32_t process_id);

// Where one of `owner`'s dumps stands in time: its name's time stamp, then
// its process id.
struct DumpAge {
  std::u16string stamp;
  uint64_t process_id = 0;
  auto operator<=>(const DumpAge&) const = default;
};
// The age of `name` when DumpFileName can give it for `owner` (letter case
// ignored, as the file system and the account names do); nullopt for any
// other name, the dumps of other users and computers and the names of
// earlier versions without an owner included: the daemon deletes no other
// file.
std::optional<DumpAge> OwnDumpAge(std::u16string_view name,
                                  const DumpOwner& owner);

}  // namespace zarn

#endif  // ZARN_PROCESS_DUMP_NAMES_H_
