// Code-page conversion without Windows: code page 0 (and 1252) is
// Windows-1252, 65001 is UTF-8 with U+FFFD for ill-formed bytes, as
// MultiByteToWideChar gives them without flags. Any other code page can't
// be converted and gives the empty text.
#ifndef ZARN_TESTING_FAKE_CODE_PAGE_CONVERTER_H_
#define ZARN_TESTING_FAKE_CODE_PAGE_CONVERTER_H_

#include <set>

#include "platform/code_page.h"

namespace zarn {

class FakeCodePageConverter final : public CodePageConverter {
 public:
  std::u16string Decode(std::span<const uint8_t> bytes,
                        int32_t code_page) override;
  // Windows-1252, with '?' for a character it lacks.
  std::string EncodeAnsi(std::u16string_view text) override;

  // Makes a code page unconvertible, as a platform without it would be.
  void Refuse(int32_t code_page) { refused_.insert(code_page); }
  int decode_count() const { return decode_count_; }

 private:
  int decode_count_ = 0;
  std::set<int32_t> refused_;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_CODE_PAGE_CONVERTER_H_
