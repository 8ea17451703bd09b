// The compiled-help page reader over help files compiled by chmcmd (see
// tools/make-chm-fixtures), damaged copies of them, and tight limits.
#include "search/extract/chmpages.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "ends_within.h"
#include "search/extract/chm_crafted.h"
#include "search/extract/testfiles.h"

namespace {

// Keeps the pages that arrive whole, by name ("topics/a.htm").
class TRecordingSink : public TChmPageSink {
public:
  std::map<std::string, std::string> pages;
  int begun = 0;
  // Given up by WritePage: "refuse" returns false, "throw" raises.
  std::string failOn, failHow;

  bool BeginPage(const std::vector<std::string>& parts) override {
    EXPECT_FALSE(open_) << "a page began inside another";
    open_ = true;
    ++begun;
    name_.clear();
    for (const std::string& part : parts) name_ += (name_.empty() ? "" : "/") + part;
    bytes_.clear();
    return true;
  }
  bool WritePage(const void* data, size_t size) override {
    EXPECT_TRUE(open_);
    if (name_ == failOn && failHow == "refuse") return false;
    if (name_ == failOn && failHow == "throw") throw std::runtime_error("disk full");
    bytes_.append(static_cast<const char*>(data), size);
    return true;
  }
  void EndPage(bool complete) override {
    EXPECT_TRUE(open_);
    open_ = false;
    if (complete) pages[name_] = bytes_;
  }

private:
  bool open_ = false;
  std::string name_, bytes_;
};

struct TResult {
  int count;
  std::map<std::string, std::string> pages;
};

TResult Extract(const std::string& bytes, const TChmLimits& limits = {}) {
  TStringStream source(bytes);
  TRecordingSink sink;
  const int count = ExtractChmPages(source, sink, limits);
  EXPECT_EQ(count, static_cast<int>(sink.pages.size()));
  return {count, sink.pages};
}

std::string HelpFixture(const std::string& name) { return Fixture("../../data/" + name); }

// The pages chm_help.chm was compiled from, as they were.
std::map<std::string, std::string> HelpPages() {
  std::map<std::string, std::string> pages;
  for (const char* name : {"index.htm", "topics/second.html", "notes.txt", "data.xml"})
    pages[name] = HelpFixture(std::string("chm_help/") + name);
  return pages;
}

}  // namespace

// Every HTML, text and XML page, in subfolders too, byte for byte in its own
// encoding; the style sheet and the help file's own files are not pages.
TEST(ChmPages, GivesEveryTextPageWholeInItsOwnBytes) {
  EXPECT_EQ(Extract(HelpFixture("chm_help.chm")).pages, HelpPages());

  const TResult codepages = Extract(Fixture("chm_codepages.chm"));
  EXPECT_EQ(codepages.pages, (std::map<std::string, std::string>{
                                 {"cp1251.htm", Fixture("chm_codepages/cp1251.htm")},
                                 {"utf8.htm", Fixture("chm_codepages/utf8.htm")}}));
}

TEST(ChmPages, NamesThatCouldLeaveTheFolderAreRefused) {
  using Parts = std::vector<std::string>;
  EXPECT_EQ(ChmPagePath("/index.htm"), Parts{"index.htm"});
  EXPECT_EQ(ChmPagePath("/a b/.hidden/\xD0\xB8\xD0\xBC\xD1\x8F.htm"),
            (Parts{"a b", ".hidden", "\xD0\xB8\xD0\xBC\xD1\x8F.htm"}));
  EXPECT_EQ(ChmPagePath("/console.htm"), Parts{"console.htm"});
  EXPECT_EQ(ChmPagePath("/com10.htm"), Parts{"com10.htm"});
  for (const char* name :
       {"", "index.htm", "/", "//server/a.htm", "/a//b.htm", "/../a.htm", "/a/../../b.htm", "/./a.htm",
        "/.. /a.htm", "/a./b.htm", "/a.htm.", "/a\\..\\b.htm", "/C:\\a.htm", "/C:/a.htm", "/a.htm:stream",
        "/a\tb.htm", "/a*.htm", "/a?.htm", "/a|b.htm", "/a<b>.htm", "/\"a\".htm", "/CON", "/con.htm",
        "/Nul.txt", "/aux .htm", "/sub/PRN.xml", "/com1.htm", "/LPT9.htm", "/conin$.htm", "/CONOUT$"})
    EXPECT_EQ(ChmPagePath(name), std::nullopt) << name;
  EXPECT_EQ(ChmPagePath(std::string_view("/a\0b.htm", 8)), std::nullopt);

  // Page names that climb out with "..", "\" and a drive: only the page that
  // stays inside is given.
  EXPECT_EQ(Extract(Fixture("chm_climb.chm")).pages,
            (std::map<std::string, std::string>{{"index.htm", Fixture("chm_climb/index.htm")}}));
}

TEST(ChmPages, TextPageKindsAreKnownByTheEndOfTheName) {
  for (const char* name : {"/a.htm", "/A.HTML", "/b/c.Txt", "/d.xml", ".htm"}) EXPECT_TRUE(IsChmTextPage(name)) << name;
  for (const char* name : {"/a.css", "/a.htmx", "/a.htm/b", "/#SYSTEM", "::DataSpace/NameList", "/a.ht", "htm"})
    EXPECT_FALSE(IsChmTextPage(name)) << name;
}

// A cut copy gives only pages whose bytes all lie before the cut, each one
// exactly as it was; a flipped copy never crashes or overruns the limits.
TEST(ChmPages, DamagedCopiesGiveOnlyWholePagesOrNone) {
  const std::string good = HelpFixture("chm_help.chm");
  const std::map<std::string, std::string> original = HelpPages();
  for (size_t length : CutLengths(good.size())) {
    for (const auto& [name, bytes] : Extract(good.substr(0, length)).pages)
      EXPECT_EQ(bytes, original.at(name)) << name << " cut at " << length;
  }
  TChmLimits limits;
  limits.bytes = 4096;
  for (const std::string& copy : FlippedCopies(good)) {
    size_t total = 0;
    for (const auto& [name, bytes] : Extract(copy, limits).pages) total += bytes.size();
    EXPECT_LE(total, 4096u);
  }
  EXPECT_EQ(Extract("").count, 0);
  EXPECT_EQ(Extract("ITSF not a help file at all <html>needle</html>").count, 0);
}

TEST(ChmPages, EachLimitStopsWhatPassesIt) {
  const std::string good = HelpFixture("chm_help.chm");
  const std::map<std::string, std::string> original = HelpPages();
  auto with = [](auto set) {
    TChmLimits limits;
    set(limits);
    return limits;
  };
  EXPECT_EQ(Extract(good, with([](TChmLimits& l) { l.pages = 2; })).count, 2);
  EXPECT_EQ(Extract(good, with([](TChmLimits& l) { l.pages = 0; })).count, 0);

  // The largest page never fits; smaller ones after it still do.
  const size_t largest = original.at("index.htm").size();
  const TResult bounded = Extract(good, with([&](TChmLimits& l) { l.bytes = largest - 1; }));
  EXPECT_GE(bounded.count, 1);
  EXPECT_EQ(bounded.pages.count("index.htm"), 0u);
  size_t total = 0;
  for (const auto& [name, bytes] : bounded.pages) total += bytes.size();
  EXPECT_LE(total, largest - 1);

  EXPECT_EQ(Extract(good, with([](TChmLimits& l) { l.decoded = 100; })).count, 0);
  EXPECT_EQ(Extract(good, with([](TChmLimits& l) { l.read = 1000; })).count, 0);
  EXPECT_EQ(Extract(good, with([](TChmLimits& l) { l.memory = 1000; })).count, 0);
}

// A sink that gives a page up, by answer or by exception, loses that page
// only, and the exception does not pass through the library.
TEST(ChmPages, PageTheSinkGivesUpIsDroppedAndTheRestFollow) {
  const std::string good = HelpFixture("chm_help.chm");
  for (const char* how : {"refuse", "throw"}) {
    TStringStream source(good);
    TRecordingSink sink;
    sink.failOn = "notes.txt";
    sink.failHow = how;
    EXPECT_EQ(ExtractChmPages(source, sink), 3) << how;
    std::map<std::string, std::string> expected = HelpPages();
    expected.erase("notes.txt");
    EXPECT_EQ(sink.pages, expected) << how;
  }
}

// A directory that leaves out what describes the compressed section, and
// whose chunks loop: the compressed page is skipped, the plain one given.
TEST(ChmPages, DirectoryWithoutTheCompressedSectionsEntriesEndsAtOnce) {
  for (const chm_test::TLoopingHelpFile& file : chm_test::LoopingHelpFiles()) {
    TResult result;
    test_wait::EndsWithin(std::chrono::seconds(60), file.name, [&] { result = Extract(file.bytes); });
    EXPECT_EQ(result.pages, (std::map<std::string, std::string>{{"plain.htm", "<p>a needle in the plain section</p>"}}))
        << file.name;
  }
}
