#include "process/dump_names.h"

#include <gtest/gtest.h>

#include <string>

#include "common/text.h"

namespace zarn {
namespace {

const DumpOwner kAnna{u"PC01", u"anna"};

TEST(DumpNamesTest, NamesSortByTimeAndOnlyOurOwnAreRecognised) {
  const DateTime utc = DateTime::FromCivil(2026, 12, 7, 8, 5, 3);
  EXPECT_EQ(DumpFileName(utc, kAnna, 812),
            u"ZARN_2026-12-07T08-05-03Z_PC01_anna_PID812.dmp");
  EXPECT_EQ(DumpFileName(DateTime::FromCivil(2027, 1, 2, 23, 0, 9),
                         {u"TS-02", u"Jörg_M. <Admin>"}, 4294967295u),
            u"ZARN_2027-01-02T23-00-09Z_TS-02_Jörg%5FM. %3CAdmin%3E_"
            u"PID4294967295.dmp");
  // Every character a file name can't hold, the separator and the escape.
  EXPECT_EQ(DumpNamePart(u"a\"*/:<>?\\|_%\x1F\tb"),
            u"a%22%2A%2F%3A%3C%3E%3F%5C%7C%5F%25%1F%09b");
  struct Case {
    std::u16string name;
    DumpOwner owner;
    bool ours;
  };
  const DumpOwner odd{u"PC_01", u"a%b"};
  const Case cases[] = {
      {u"ZARN_2026-12-07T08-05-03Z_PC01_anna_PID812.dmp", kAnna, true},
      {u"zarn_2026-12-07t08-05-03z_pc01_ANNA_pid812.DMP", kAnna, true},
      {u"ZARN_2026-12-07T08-05-03Z_PC%5f01_A%25B_PID7.dmp", odd, true},
      // Another user's, another computer's, another owner whose parts join
      // to the same text, and the unescaped parts.
      {u"ZARN_2026-12-07T08-05-03Z_PC01_bert_PID812.dmp", kAnna, false},
      {u"ZARN_2026-12-07T08-05-03Z_PC02_anna_PID812.dmp", kAnna, false},
      {u"ZARN_2026-12-07T08-05-03Z_PC01_anna%5Fx_PID7.dmp",
       {u"PC01_anna", u"x"},
       false},
      {u"ZARN_2026-12-07T08-05-03Z_PC01_anna%5Fx_PID7.dmp",
       {u"PC01", u"anna_x"},
       true},
      {u"ZARN_2026-12-07T08-05-03Z_PC_01_a%b_PID7.dmp", odd, false},
      // The names of earlier versions carry no owner.
      {u"ZARN_2026-12-07_09-05-03_PID812.dmp", kAnna, false},
      {u"ZARN_2026-12-07T08-05-03Z_PC01_anna_PID12345678901.dmp", kAnna, false},
      {u"ZARN_2026-12-07T08-05-03Z_PC01_anna_PID8x2.dmp", kAnna, false},
      {u"ZARN_2026-12-07T08-05-03Z_PC01_anna_PID812.dmp.txt", kAnna, false},
      {u"ZARN_2026-12-07T8-05-03Z_PC01_anna_PID812.dmp", kAnna, false},
      {u"ZARN_2026-12-07T08-05-03_PC01_anna_PID812.dmp", kAnna, false},
      {u"ZARN_2026-12-07T08-05-03Z_PC01_anna_812.dmp", kAnna, false},
      {u"ZARN_dump.dmp", kAnna, false},
      {u"", kAnna, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.name));
    EXPECT_EQ(OwnDumpAge(c.name, c.owner).has_value(), c.ours);
  }
}

}  // namespace
}  // namespace zarn
