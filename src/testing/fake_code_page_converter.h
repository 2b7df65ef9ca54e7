// Code-page conversion without Windows: code page 0 (and 1252) is
// Windows-1252, 65001 is UTF-8 with U+FFFD for ill-formed bytes, as
// MultiByteToWideChar gives them without flags. Any other code page can't
// be converted and gives the empty text. The ANSI code page (0) can be made
// UTF-8, as the "Beta: Use Unicode UTF-8" option of Windows makes it.
#ifndef ZARN_TESTING_FAKE_CODE_PAGE_CONVERTER_H_
#define ZARN_TESTING_FAKE_CODE_PAGE_CONVERTER_H_

#include <set>

#include "platform/code_page.h"

namespace zarn {

class FakeCodePageConverter final : public CodePageConverter {
 public:
  std::u16string Decode(std::span<const uint8_t> bytes,
                        int32_t code_page) override;
  // Windows-1252, with '?' for a character it lacks; or UTF-8.
  std::string EncodeAnsi(std::u16string_view text) override;

  // What code page 0 stands for: 1252 (the default) or 65001.
  void set_ansi_code_page(int32_t code_page) { ansi_code_page_ = code_page; }

  // Makes a code page unconvertible, as a platform without it would be.
  void Refuse(int32_t code_page) { refused_.insert(code_page); }
  int decode_count() const { return decode_count_; }

 private:
  int decode_count_ = 0;
  std::set<int32_t> refused_;
  int32_t ansi_code_page_ = 1252;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_CODE_PAGE_CONVERTER_H_
