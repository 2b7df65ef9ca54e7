// Regional conversions with fixed German settings (dd.MM.yyyy, HH:mm:ss,
// decimal comma), as Windows writes them, for tests of the logic.
#ifndef ZARN_TESTING_FAKE_REGIONAL_H_
#define ZARN_TESTING_FAKE_REGIONAL_H_

#include "platform/regional.h"

namespace zarn {

class FakeRegional final : public Regional {
 public:
  // Reads "d.M.yyyy", "d.M.yyyy H:mm[:ss]" and "H:mm[:ss]", as VarDateFromStr
  // does under German settings; anything else is unreadable.
  std::optional<DateTime> ParseDateTime(std::u16string_view text) override;
  std::u16string FormatDateTime(DateTime when) override;
  std::u16string FormatSpan(int64_t seconds) override;
  std::u16string FormatNumber(double value) override;

  int parse_count() const { return parse_count_; }

 private:
  int parse_count_ = 0;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_REGIONAL_H_
