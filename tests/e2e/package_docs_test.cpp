// Every relative link in the documents leads somewhere: in the unpacked
// package, which is flat and holds README.txt instead of the repository's
// README.md, and in the repository itself. A link to a heading must name
// one of its target's headings.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "package_folder.h"

namespace zarn::e2e {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at <= text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    at = end + 1;
  }
  return lines;
}

bool IsFence(const std::string& line) {
  const size_t first = line.find_first_not_of(' ');
  return first != std::string::npos && line.compare(first, 3, "```") == 0;
}

// The line without its code spans, whose brackets are no links.
std::string WithoutCode(const std::string& line) {
  std::string out;
  bool in_code = false;
  for (char c : line) {
    if (c == '`') {
      in_code = !in_code;
    } else if (!in_code) {
      out += c;
    }
  }
  return out;
}

// The anchors of a Markdown file's headings, made as GitHub makes them:
// lower case, blanks to hyphens, punctuation other than "-" and "_"
// dropped; a repeated heading gets "-1", "-2".
std::set<std::string> Anchors(const std::string& text) {
  std::set<std::string> anchors;
  std::map<std::string, int> seen;
  bool in_fence = false;
  for (const std::string& line : Lines(text)) {
    if (IsFence(line)) in_fence = !in_fence;
    if (in_fence || line.empty() || line[0] != '#') continue;
    const size_t title = line.find_first_not_of('#');
    if (title == std::string::npos || line[title] != ' ') continue;
    std::string slug;
    for (unsigned char c : line.substr(title + 1)) {
      if (c >= 0x80 || std::isalnum(c) || c == '-' || c == '_') {
        slug += static_cast<char>(std::tolower(c));
      } else if (c == ' ') {
        slug += '-';
      }
    }
    while (!slug.empty() && slug.back() == '-') slug.pop_back();
    const int n = seen[slug]++;
    anchors.insert(n == 0 ? slug : slug + "-" + std::to_string(n));
  }
  return anchors;
}

// The relative link targets of a Markdown file: inline links and images,
// and reference definitions; outside code. Addresses with a scheme
// (https:, mailto:) are left out.
std::vector<std::string> RelativeLinks(const std::string& text) {
  std::vector<std::string> links;
  auto add = [&](std::string target) {
    if (!target.empty() && target.front() == '<') {
      target = target.substr(1, target.find('>') - 1);
    }
    target = target.substr(0, target.find(' '));
    const size_t colon = target.find(':');
    if (colon != std::string::npos && colon < target.find_first_of("/#")) {
      return;
    }
    links.push_back(target);
  };
  bool in_fence = false;
  for (const std::string& raw : Lines(text)) {
    if (IsFence(raw)) in_fence = !in_fence;
    if (in_fence) continue;
    const std::string line = WithoutCode(raw);
    for (size_t at = line.find("]("); at != std::string::npos;
         at = line.find("](", at + 2)) {
      const size_t end = line.find(')', at + 2);
      if (end != std::string::npos) add(line.substr(at + 2, end - at - 2));
    }
    const size_t first = line.find_first_not_of(' ');
    if (first != std::string::npos && line[first] == '[') {
      const size_t close = line.find("]:", first);
      if (close != std::string::npos) {
        const size_t target = line.find_first_not_of(' ', close + 2);
        if (target != std::string::npos) add(line.substr(target));
      }
    }
  }
  return links;
}

// `path` relative to `folder` (both with backslashes, `folder` ending in
// one), with "." and ".." taken out; empty when it climbs above `root`.
std::wstring Resolve(const std::wstring& root, const std::wstring& folder,
                     const std::wstring& path) {
  std::vector<std::wstring> parts;
  std::wstring rest = folder.substr(root.size()) + path;
  size_t at = 0;
  while (at <= rest.size()) {
    size_t end = rest.find_first_of(L"\\/", at);
    if (end == std::wstring::npos) end = rest.size();
    const std::wstring part = rest.substr(at, end - at);
    if (part == L"..") {
      if (parts.empty()) return {};
      parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(part);
    }
    at = end + 1;
  }
  std::wstring resolved = root;
  for (size_t i = 0; i < parts.size(); ++i) {
    resolved += (i ? L"\\" : L"") + parts[i];
  }
  return resolved;
}

std::vector<std::wstring> MarkdownFilesIn(const std::wstring& folder) {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found = {};
  const HANDLE search = ::FindFirstFileW((folder + L"*.md").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    files.push_back(folder + found.cFileName);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return files;
}

// The link faults of the Markdown files `files`, which lie under `root`:
// one line per link that leaves `root`, names no file there, or names a
// heading its target lacks.
std::vector<std::string> BrokenLinks(const std::wstring& root,
                                     const std::vector<std::wstring>& files) {
  std::vector<std::string> broken;
  for (const std::wstring& file : files) {
    const std::string text = ReadFileBytes(file).value_or("");
    const std::wstring folder = file.substr(0, file.find_last_of(L'\\') + 1);
    for (const std::string& link : RelativeLinks(text)) {
      const size_t hash = link.find('#');
      const std::string path = link.substr(0, hash);
      const std::wstring target =
          path.empty() ? file : Resolve(root, folder, FromUtf8(path));
      const std::string where = Utf8(file.substr(root.size())) + ": " + link;
      if (target.empty() || !FileExists(target)) {
        broken.push_back(where + " (no such file in the folder)");
      } else if (hash != std::string::npos && target.size() > 3 &&
                 target.compare(target.size() - 3, 3, L".md") == 0 &&
                 !Anchors(ReadFileBytes(target).value_or(""))
                      .count(link.substr(hash + 1))) {
        broken.push_back(where + " (no such heading)");
      }
    }
  }
  return broken;
}

TEST(PackageDocsTest, LinkCheckFindsWhatIsBroken) {
  const std::string text =
      "# Title\n## Two words, and `code`\n"
      "[a](#title) [b](#two-words-and-code) [c](#missing) "
      "[d](https://example.com/x) `[e](not-a-link.md)`\n"
      "```\n[f](inside-a-fence.md)\n```\n[g]: ../up.md\n";
  EXPECT_EQ(Anchors(text),
            (std::set<std::string>{"title", "two-words-and-code"}));
  EXPECT_EQ(RelativeLinks(text),
            (std::vector<std::string>{"#title", "#two-words-and-code",
                                      "#missing", "../up.md"}));
  EXPECT_EQ(Resolve(L"C:\\p\\", L"C:\\p\\docs\\", L"../packaging/Z.cfg"),
            L"C:\\p\\packaging\\Z.cfg");
  EXPECT_EQ(Resolve(L"C:\\p\\", L"C:\\p\\", L"../Z.cfg"), L"");
}

// The unpacked package, and the repository's README and docs.
TEST(PackageDocsTest, EveryRelativeLinkResolves) {
  if (!win32::RunningUnderWine()) {
    GTEST_SKIP() << "needs Wine, which runs the package's tests";
  }
  const std::wstring package = PackageFolder();
  ASSERT_TRUE(FileExists(package + L"deployment.md"))
      << Utf8(package) << " missing: run through CTest, which unpacks it";
  // Wine shows the Unix file system as drive Z:.
  std::wstring repo = L"Z:" + FromUtf8(ZARN_SOURCE_DIR) + L"\\";
  for (wchar_t& c : repo) {
    if (c == L'/') c = L'\\';
  }
  std::vector<std::wstring> repo_files = MarkdownFilesIn(repo);
  for (const std::wstring& f : MarkdownFilesIn(repo + L"docs\\")) {
    repo_files.push_back(f);
  }
  struct Case {
    const char* name;
    std::wstring root;
    std::vector<std::wstring> files;
  };
  for (const Case& c : {Case{"package", package, MarkdownFilesIn(package)},
                        Case{"repository", repo, repo_files}}) {
    SCOPED_TRACE(c.name);
    ASSERT_GE(c.files.size(), 2u) << "no documents in " << Utf8(c.root);
    const std::vector<std::string> broken = BrokenLinks(c.root, c.files);
    std::string list;
    for (const std::string& b : broken) list += "\n  " + b;
    EXPECT_TRUE(broken.empty()) << "broken links:" << list;
  }
}

}  // namespace
}  // namespace zarn::e2e
