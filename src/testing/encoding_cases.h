// Files and the text, code page and mark that decoding them must give: one
// table for the decoder's tests on the fake file system and on real files.
#ifndef ZARN_TESTING_ENCODING_CASES_H_
#define ZARN_TESTING_ENCODING_CASES_H_

#include <cstdint>
#include <string>
#include <vector>

namespace zarn {

struct EncodingCase {
  const char* name;
  std::vector<uint8_t> bytes;
  int32_t code_page;
  bool has_mark;
  std::u16string text;
};

// The cases of byte-order marks, the UTF-8 test and the conversions. Texts
// of code page 0 are given as Windows-1252 decodes them.
std::vector<EncodingCase> EncodingCases();

}  // namespace zarn

#endif  // ZARN_TESTING_ENCODING_CASES_H_
