#include "common/config_keys.h"

#include "common/text.h"

namespace zarn {
namespace {

// The smallest count: none would turn a feature off, which an empty key
// does.
constexpr int kSmallestCount = 1;
constexpr std::u16string_view kSection =
    u"der Sektion [ZARN] der Konfiguration";

}  // namespace

std::optional<int> ParseCount(std::u16string_view text, int largest) {
  if (text.size() > ToDecimal(largest).size()) return std::nullopt;
  const std::optional<uint64_t> value =
      ParseDecimal(text, static_cast<uint64_t>(largest));
  if (!value || *value < kSmallestCount) return std::nullopt;
  return static_cast<int>(*value);
}

std::u16string NoCountFault(int largest) {
  return Concat({u"ist keine ganze Zahl von ", ToDecimal(kSmallestCount),
                 u" bis ", ToDecimal(largest)});
}

std::u16string FallbackOutcome(std::u16string_view value) {
  return Concat({u"Der Wert wird auf ", value, u" gesetzt."});
}

std::u16string MalformedKeyMessage(std::u16string_view key,
                                   std::u16string_view fault,
                                   std::u16string_view outcome) {
  return Concat({u"Die ", key, u" in ", kSection, u" ", fault, u". ", outcome});
}

std::u16string MissingKeyMessage(std::u16string_view missing,
                                 std::u16string_view present,
                                 std::u16string_view outcome) {
  return Concat({u"In ", kSection, u" fehlt ", missing, u" zu ", present, u". ",
                 outcome});
}

}  // namespace zarn
