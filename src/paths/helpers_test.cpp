#include "paths/helpers.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "testing/helpers_fixture.h"

namespace zarn {
namespace {

class HelpersTest : public HelpersFixture {
 protected:
  static HttpHeadResponse Answer(int status,
                                 std::optional<std::u16string> length = {},
                                 std::optional<std::u16string> modified = {}) {
    return HttpHeadResponse{true, status, std::move(length),
                            std::move(modified)};
  }
};

TEST_F(HelpersTest, FindsFilesAndFolders) {
  fs_.AddFile(u"C:\\Daemon\\ZARN.cfg", "x");
  EXPECT_TRUE(helpers_.CheckFileExists(u"C:\\Daemon\\ZARN.cfg"));
  EXPECT_TRUE(helpers_.CheckFileExists(u"c:\\daemon\\zarn.CFG"));
  EXPECT_TRUE(helpers_.CheckFileExists(u"C:\\Daemon"));
  EXPECT_EQ(fs_.attribute_queries().size(), 3u);
  EXPECT_FALSE(drives_.query_count());
}

TEST_F(HelpersTest, MissingPathCostsTwoQueries) {
  EXPECT_FALSE(helpers_.CheckFileExists(u"C:\\Daemon\\ZARN.cfg"));
  EXPECT_EQ(fs_.attribute_queries(),
            (std::vector<std::u16string>{u"C:\\Daemon\\ZARN.cfg",
                                         u"C:\\Daemon\\ZARN.cfg"}));
  EXPECT_FALSE(unc_.built());
  EXPECT_FALSE(helpers_.CheckFileExists(u""));
}

TEST_F(HelpersTest, UncPathFoundThroughItsMappedDrive) {
  drives_.Map(u'Z', u"\\\\server\\share");
  fs_.AddFile(u"Z:\\Suite\\ZARN.cfg", "x");
  EXPECT_TRUE(helpers_.CheckFileExists(u"\\\\Server\\Share\\Suite\\ZARN.cfg"));
  EXPECT_EQ(fs_.attribute_queries().back(), u"Z:\\Suite\\ZARN.cfg");
  EXPECT_FALSE(helpers_.CheckFileExists(u"\\\\server\\other\\ZARN.cfg"));
  EXPECT_EQ(drives_.query_count(), 26);
}

TEST_F(HelpersTest, LongPathsAreQueriedInTheirLongForm) {
  std::u16string folder = u"C:\\Daemon";
  while (folder.size() < 280) folder += u"\\abcdefghij";
  const std::u16string file = folder + u"\\ZARN.cfg";
  fs_.AddFile(file, "x");
  const std::u16string unc_file = u"\\\\srv\\share" + folder.substr(2) + u"\\f";
  fs_.AddFile(unc_file, "x");
  ASSERT_GE(folder.size(), 280u);

  EXPECT_TRUE(helpers_.CheckFileExists(file));
  EXPECT_EQ(fs_.attribute_queries().back(), u"\\\\?\\" + file);
  EXPECT_TRUE(helpers_.CheckFileExists(folder));
  EXPECT_TRUE(helpers_.CheckFileExists(unc_file));
  EXPECT_EQ(fs_.attribute_queries().back(),
            u"\\\\?\\UNC\\srv\\share" + folder.substr(2) + u"\\f");
  EXPECT_FALSE(helpers_.CheckFileExists(folder + u"\\missing"));
}

TEST_F(HelpersTest, DotsAreResolvedBeforeTheLongForm) {
  std::u16string suite = u"C:\\Suite";
  while (suite.size() < 280) suite += u"\\abcdefghij";
  fs_.AddFile(suite + u"\\cfg\\Velmora-Suite.cfg", "x");
  fs_.AddFolder(suite + u"\\bin");
  const std::u16string candidate =
      suite + u"\\bin\\.\\..\\cfg\\Velmora-Suite.cfg";
  EXPECT_TRUE(helpers_.CheckFileExists(candidate));
  EXPECT_EQ(fs_.attribute_queries().back(),
            u"\\\\?\\" + suite + u"\\cfg\\Velmora-Suite.cfg");
  std::u16string path = candidate;
  EXPECT_TRUE(helpers_.CheckLongPath(path));
  EXPECT_EQ(path, u"\\\\?\\" + suite + u"\\cfg\\Velmora-Suite.cfg");
}

TEST_F(HelpersTest, SystemPathTakesTheLongFormOnlyWhereNeeded) {
  const std::u16string deep = u"C:\\" + std::u16string(250, u'd');
  const std::u16string unc = u"\\\\srv\\share\\" + std::u16string(250, u'u');
  struct Case {
    const char* name;
    std::u16string path;
    std::u16string system;
  };
  const Case cases[] = {
      {"short, as given", u"C:\\A\\..\\B", u"C:\\A\\..\\B"},
      {"247 characters", u"C:\\" + std::u16string(244, u's'),
       u"C:\\" + std::u16string(244, u's')},
      {"248 characters", deep.substr(0, 248), u"\\\\?\\" + deep.substr(0, 248)},
      {"long, resolved", deep + u"\\x\\..\\y", u"\\\\?\\" + deep + u"\\y"},
      {"long, short once resolved",
       u"C:\\A\\" + std::u16string(250, u'z') + u"\\..\\B", u"C:\\A\\B"},
      {"unc", unc + u"\\.\\f",
       u"\\\\?\\UNC\\srv\\share\\" + std::u16string(250, u'u') + u"\\f"},
      {"slashes", u"C:/" + std::u16string(250, u'v') + u"/f",
       u"\\\\?\\C:\\" + std::u16string(250, u'v') + u"\\f"},
      {"trailing backslash", deep + u"\\", u"\\\\?\\" + deep + u"\\"},
      {"long form, as given", u"\\\\?\\" + deep + u"\\..",
       u"\\\\?\\" + deep + u"\\.."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(helpers_.SystemPath(c.path), c.system);
  }
}

TEST_F(HelpersTest, LongPathForms) {
  const std::u16string tail(270, u'a');
  EXPECT_EQ(LongPathForm(u"C:\\" + tail), u"\\\\?\\C:\\" + tail);
  EXPECT_EQ(LongPathForm(u"\\\\s\\x\\" + tail), u"\\\\?\\UNC\\s\\x\\" + tail);
  EXPECT_EQ(LongPathForm(u"\\\\?\\C:\\" + tail), u"\\\\?\\C:\\" + tail);
  EXPECT_EQ(LongPathForm(u"rel\\" + tail), u"rel\\" + tail);
}

TEST_F(HelpersTest, DevicePathsAndVerbatimPathsNeverTakeTheLongForm) {
  const std::u16string tail = std::u16string(260, u'd') + u"\\x\\..\\f";
  struct Case {
    const char* name;
    std::u16string path;
    std::u16string system;  // what the file system calls are given
  };
  const Case cases[] = {
      {"device", u"\\\\.\\C:\\" + tail, u"\\\\.\\C:\\" + tail},
      {"device UNC", u"\\\\.\\UNC\\srv\\share\\" + tail,
       u"\\\\.\\UNC\\srv\\share\\" + tail},
      {"device, slashes", u"//./C:/" + tail, u"//./C:/" + tail},
      {"device, //?/", u"//?/C:/" + tail, u"//?/C:/" + tail},
      {"verbatim", u"\\\\?\\C:\\" + tail, u"\\\\?\\C:\\" + tail},
      {"verbatim UNC", u"\\\\?\\UNC\\srv\\s\\" + tail,
       u"\\\\?\\UNC\\srv\\s\\" + tail},
      {"object manager", u"\\??\\C:\\" + tail, u"\\??\\C:\\" + tail},
      // GetFullPathNameW makes \\.\CON of a reserved name in any folder.
      {"reserved name", u"C:\\" + tail + u"\\CON", u"\\\\.\\CON"},
      {"reserved name with extension", u"C:\\" + tail + u"\\nul.log",
       u"\\\\.\\nul"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_GE(c.path.size(), kMaxPlainPath);
    EXPECT_EQ(helpers_.SystemPath(c.path), c.system);
    // A drive path itself does take the long form; only its full form is a
    // device.
    if (!c.path.starts_with(u"C:")) {
      EXPECT_EQ(LongPathForm(c.path), c.path);
    }
  }
}

TEST_F(HelpersTest, CheckLongPathRewritesAndFindsFilesOnly) {
  std::u16string folder = u"C:\\D\\" + std::u16string(280, u'f');
  fs_.AddFile(folder + u"\\x", "x");
  std::u16string path = folder + u"\\x";
  EXPECT_TRUE(helpers_.CheckLongPath(path));
  EXPECT_EQ(path, u"\\\\?\\" + folder + u"\\x");
  path = folder;
  EXPECT_FALSE(helpers_.CheckLongPath(path));
  std::u16string short_path = u"C:\\D";
  EXPECT_FALSE(helpers_.CheckLongPath(short_path));
  EXPECT_EQ(short_path, u"C:\\D");
}

TEST_F(HelpersTest, HttpPrefixInAnyLetterCase) {
  const std::vector<std::pair<std::u16string, bool>> cases = {
      {u"http://h/ZARN.cfg", true},
      {u"HTTPS://h/x", true},
      {u"hTtP:anything", true},
      {u"Https:", true},
      {u"ftp://h/x", false},
      {u"file://C:/x", false},
      {u"http", false},
      {u"httpx://h", false},
      {u"", false},
  };
  for (const auto& [path, http] : cases) {
    SCOPED_TRACE(testing::Message() << path.size());
    EXPECT_EQ(Helpers::IsHttpPath(path), http);
  }
}

TEST_F(HelpersTest, HttpAddressesGoToTheHeadRequestOnly) {
  http_.Respond(u"HTTP://h/ok", Answer(200, u"12"));
  EXPECT_TRUE(helpers_.CheckFileExists(u"HTTP://h/ok"));
  EXPECT_FALSE(helpers_.CheckFileExists(u"https://h/unreachable"));
  EXPECT_TRUE(fs_.attribute_queries().empty());
  ASSERT_EQ(http_.requests().size(), 2u);
  const FakeHttpProbe::Headers expected = {
      {u"Cache-Control", u"no-store, no-cache"}, {u"Pragma", u"no-cache"}};
  EXPECT_EQ(http_.requests()[0].headers, expected);
  // Another scheme takes the local way.
  EXPECT_FALSE(helpers_.CheckFileExists(u"ftp://h/ok"));
  EXPECT_EQ(http_.requests().size(), 2u);
  EXPECT_EQ(fs_.attribute_queries().size(), 2u);
}

TEST_F(HelpersTest, StatusDecidesFound) {
  const std::vector<std::pair<int, bool>> cases = {
      {200, true},  {204, true},  {301, true}, {399, true},
      {404, false}, {500, false}, {199, false}};
  for (const auto& [status, found] : cases) {
    SCOPED_TRACE(status);
    http_.Respond(u"http://h/x", Answer(status, u"5"));
    EXPECT_EQ(helpers_.CheckFileExists(u"http://h/x"), found);
  }
}

TEST_F(HelpersTest, SizeAndLastModified) {
  struct Case {
    const char* name;
    std::optional<std::u16string> length;
    std::optional<std::u16string> modified;
    int32_t size;
    std::optional<DateTime> when;
  };
  const DateTime when = DateTime::FromCivil(1994, 11, 6, 8, 49, 37);
  const std::vector<Case> cases = {
      {"both", u"1234", u"Sun, 06 Nov 1994 08:49:37 GMT", 1234, when},
      {"no length", {}, u"Sun, 06 Nov 1994 08:49:37 GMT", 0, {}},
      {"length too big",
       u"2147483648",
       u"Sun, 06 Nov 1994 08:49:37 GMT",
       0,
       {}},
      {"largest length", u"2147483647", {}, 2147483647, {}},
      {"length with blanks and zeros", u" 00012 ", {}, 12, {}},
      {"length past 64 bits", u"99999999999999999999999", {}, 0, {}},
      {"length with a sign", u"+12", {}, 0, {}},
      {"no date", u"7", {}, 7, {}},
      {"bad date", u"7", u"Sun, 31 Feb 1994 08:49:37 GMT", 7, {}},
      {"short date", u"7", u"Sun, 1", 7, {}},
      {"one-digit day", u"7", u"Mon, 7 Dec 2026 23:05:09 GMT", 7,
       DateTime::FromCivil(2026, 12, 7, 23, 5, 9)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    http_.Respond(u"http://h/x", Answer(200, c.length, c.modified));
    int32_t size = -5;
    std::optional<DateTime> modified = DateTime();
    EXPECT_TRUE(helpers_.QueryHttpFile(u"http://h/x", size, modified));
    EXPECT_EQ(size, c.size);
    EXPECT_EQ(modified, c.when);
  }
  int32_t size = -5;
  std::optional<DateTime> modified = DateTime();
  EXPECT_FALSE(helpers_.QueryHttpFile(u"http://none/x", size, modified));
  EXPECT_EQ(size, 0);
  EXPECT_FALSE(modified);
}

TEST_F(HelpersTest, TakeLineTakesEachKindOfLineEnd) {
  std::u16string text = u"a\r\nb\rc\nd\r\r\ne";
  std::vector<std::u16string> lines;
  while (!text.empty()) lines.push_back(TakeLine(text));
  EXPECT_EQ(lines,
            (std::vector<std::u16string>{u"a", u"b", u"c", u"d", u"", u"e"}));
  text = u"x\n";
  EXPECT_EQ(TakeLine(text), u"x");
  EXPECT_EQ(text, u"");
}

TEST_F(HelpersTest, TakeLineOnAViewTakesTheSameLines) {
  for (std::u16string_view input :
       {u"a\r\nb\rc\nd\r\r\ne", u"x\n", u"\r\n\r\n", u"  \r", u"end"}) {
    SCOPED_TRACE(Utf16ToUtf8(input));
    std::u16string text(input);
    std::u16string_view view = input;
    while (!text.empty()) {
      ASSERT_FALSE(view.empty());
      EXPECT_EQ(TakeLine(view), TakeLine(text));
      EXPECT_EQ(view, text);
    }
    EXPECT_TRUE(view.empty());
  }
}

TEST(GetParentFolderTest, CutsAtTheLastBackslash) {
  struct Case {
    const char16_t* path;
    const char16_t* parent;
  };
  const Case cases[] = {
      {u"C:\\Logs\\daemon.log", u"C:\\Logs"},
      {u"C:\\daemon.log", u"C:"},
      {u"\\\\server\\share\\d.log", u"\\\\server\\share"},
      {u"C:\\Logs\\", u"C:\\Logs"},
      {u"daemon.log", u"daemon.log"},
      {u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.path));
    EXPECT_EQ(GetParentFolder(c.path), c.parent);
  }
}

}  // namespace
}  // namespace zarn
