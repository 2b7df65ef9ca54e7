#include "process/dump_names.h"

#include <limits>

#include "common/text.h"

namespace zarn {
namespace {

constexpr std::u16string_view kPrefix = u"ZARN_";
constexpr std::u16string_view kPidMark = u"_PID";
constexpr std::u16string_view kExtension = u".dmp";
// "2026-12-07T08-05-03Z": the digits and marks after the prefix.
constexpr std::u16string_view kStampForm = u"0000-00-00T00-00-00Z";
// A process id has at most ten decimal digits.
constexpr size_t kMaxIdDigits = 10;

bool Escaped(char16_t c) {
  return c < 0x20 || std::u16string_view(u"\"*/:<>?\\|_%").find(c) !=
                         std::u16string_view::npos;
}

bool IsStamp(std::u16string_view text) {
  if (text.size() != kStampForm.size()) return false;
  for (size_t i = 0; i < kStampForm.size(); ++i) {
    const bool digit_wanted = kStampForm[i] == u'0';
    if (digit_wanted ? !IsAsciiDigit(text[i])
                     : ToLowerChar(text[i]) != ToLowerChar(kStampForm[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::u16string DumpNamePart(std::u16string_view name) {
  std::u16string part;
  for (char16_t c : name) {
    if (!Escaped(c)) {
      part += c;
      continue;
    }
    part += u'%';
    part += u"0123456789ABCDEF"[c >> 4];
    part += u"0123456789ABCDEF"[c & 0xF];
  }
  return part;
}

std::u16string DumpFileName(DateTime utc, const DumpOwner& owner,
                            uint32_t process_id) {
  return Concat({kPrefix, FormatDateTime(utc, u'-', u'T', u'-'), u"Z_",
                 DumpNamePart(owner.machine), u"_", DumpNamePart(owner.user),
                 kPidMark, ToDecimal(process_id), kExtension});
}

std::optional<DumpAge> OwnDumpAge(std::u16string_view name,
                                  const DumpOwner& owner) {
  const std::u16string middle = Concat({u"_", DumpNamePart(owner.machine), u"_",
                                        DumpNamePart(owner.user), kPidMark});
  const size_t fixed = kPrefix.size() + kStampForm.size() + middle.size();
  if (name.size() < fixed + 1 + kExtension.size() ||
      !EqualsIgnoreCase(name.substr(0, kPrefix.size()), kPrefix) ||
      !EndsWithIgnoreCase(name, kExtension)) {
    return std::nullopt;
  }
  const std::u16string_view stamp =
      name.substr(kPrefix.size(), kStampForm.size());
  if (!IsStamp(stamp) ||
      !EqualsIgnoreCase(
          name.substr(kPrefix.size() + kStampForm.size(), middle.size()),
          middle)) {
    return std::nullopt;
  }
  const std::u16string_view digits =
      name.substr(fixed, name.size() - fixed - kExtension.size());
  // Up to ten digits, so more than 32 bits may stand there.
  const std::optional<uint64_t> id =
      digits.size() <= kMaxIdDigits
          ? ParseDecimal(digits, std::numeric_limits<uint64_t>::max())
          : std::nullopt;
  if (!id) return std::nullopt;
  return DumpAge{ToUpper(stamp), *id};
}

}  // namespace zarn
