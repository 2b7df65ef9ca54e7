// What a feature needs to own keys of the configuration's section [ZARN]:
// the section to read them from, the form of a count, and the one way the
// daemon words a key it can't use.
#ifndef ZARN_COMMON_CONFIG_KEYS_H_
#define ZARN_COMMON_CONFIG_KEYS_H_

#include <optional>
#include <string>
#include <string_view>

namespace zarn {

// The section of the configuration that start-up has selected.
class ConfigSection {
 public:
  virtual ~ConfigSection() = default;

  // The trimmed value for `key`; empty when the key is missing.
  virtual std::u16string GetValue(std::u16string_view key) const = 0;
};

// A count such as DUMPMAX: a whole number from 1 to `largest` in ASCII
// digits, no more of them than `largest` has ("007" is 7). nullopt for
// anything else.
std::optional<int> ParseCount(std::u16string_view text, int largest);

// "ist keine ganze Zahl von 1 bis <largest>": what is wrong with a count
// that ParseCount refuses.
std::u16string NoCountFault(int largest);
// "Der Wert wird auf <value> gesetzt.": what follows for a key that has a
// default.
std::u16string FallbackOutcome(std::u16string_view value);

// "Die <key> in der Sektion [ZARN] der Konfiguration <fault>. <outcome>"
std::u16string MalformedKeyMessage(std::u16string_view key,
                                   std::u16string_view fault,
                                   std::u16string_view outcome);
// "In der Sektion [ZARN] der Konfiguration fehlt <missing> zu <present>.
// <outcome>": one of two keys that only work together.
std::u16string MissingKeyMessage(std::u16string_view missing,
                                 std::u16string_view present,
                                 std::u16string_view outcome);

}  // namespace zarn

#endif  // ZARN_COMMON_CONFIG_KEYS_H_
