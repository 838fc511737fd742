#include "app/settings_file.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;
using app::SettingsContent;
using app::SettingsEntry;
using app::SettingsEntryKind;

// Differs from every value the files below hold, so a fallback can be told from a 0.
constexpr std::int32_t kFallback = -99;
// Seconds a test may take before a blocking open or read counts as a hang.
constexpr unsigned kHangSeconds = 20;

SettingsEntry Group(std::string name) { return {SettingsEntryKind::Group, std::move(name), {}}; }
SettingsEntry Comment(std::string text) {
  return {SettingsEntryKind::Comment, std::move(text), {}};
}
SettingsEntry Key(std::string key, std::string value) {
  return {SettingsEntryKind::Key, std::move(key), std::move(value)};
}

std::optional<std::string> ReadBytes(const std::string& path) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

// What the program does with the file in one start: open, read HideTip, tick (1) or
// untick (0) the box as often as given, close. Returns the value read.
std::int32_t RunSession(const std::string& path, const std::vector<int>& ticks) {
  app::Settings settings;
  app::OpenSettings(settings, path);
  const std::int32_t value = app::ReadSettingInt(settings, app::kHideTipKey, kFallback);
  for (const int tick : ticks) app::WriteSettingInt(settings, app::kHideTipKey, tick);
  app::CloseSettings(settings);
  return value;
}

// A fresh folder per test; XDG_CONFIG_HOME, HOME and the working folder are restored after it.
class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"XDG_CONFIG_HOME", "HOME"}) {
      const char* value = std::getenv(name);
      m_savedEnvironment.emplace_back(name, value != nullptr ? std::optional<std::string>(value)
                                                             : std::nullopt);
    }
    m_savedWorkingFolder = fs::current_path();
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                          "/settings_file_test.XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr) << std::strerror(errno);
    m_folder = pattern;
  }

  void TearDown() override {
    ::alarm(0);
    fs::current_path(m_savedWorkingFolder);
    for (const auto& [name, value] : m_savedEnvironment) SetEnvironment(name, value);
    if (m_folder.empty()) return;
    // Folders a test locked must be writable again to be removed.
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(m_folder, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
      if (it->is_directory() && !it->is_symlink()) ::chmod(it->path().c_str(), 0700);
    }
    fs::remove_all(m_folder, error);
  }

  static void SetEnvironment(const char* name, const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }

  std::string Path(const std::string& relative) const { return m_folder + "/" + relative; }
  void ExpectNothingMadeBelow(const std::string& base);
  // Runs `body` as a user whom file modes bind. For root, whom they do not bind, `body`
  // runs in a child process as "nobody" (uid and gid 65534), the test folder handed over
  // to it; the child's failures fail the test.
  void AsUserBoundByFileModes(const std::function<void()>& body);

  std::string m_folder;

 private:
  std::vector<std::pair<const char*, std::optional<std::string>>> m_savedEnvironment;
  fs::path m_savedWorkingFolder;
};

// ---------------------------------------------------------------------------------------
// The file's text

TEST(SettingsText, ParseTableAndRoundTrip) {
  struct Row {
    const char* name;
    std::string bytes;
    SettingsContent expected;
  };
  const Row rows[] = {
      {"empty input", "", {}},
      {"CR only", "a=1\rb=2\r", {false, {Key("a", "1"), Key("b", "2")}}},
      {"LF only, no final line end", "a=1\nb=2", {false, {Key("a", "1"), Key("b", "2")}}},
      {"runs of CR and LF are one break", "\r\n\r\na=1\n\r\n\rb=2\r\n\r\n",
       {false, {Key("a", "1"), Key("b", "2")}}},
      {"a line of blanks and TABs gives nothing", "a=1\r\n \t \r\nb=2",
       {false, {Key("a", "1"), Key("b", "2")}}},
      {"leading blanks and TABs before each kind", " \t[G]\r\n\t;c\r\n  k=v",
       {false, {Group("G"), Comment("c"), Key("k", "v")}}},
      {"group without ]", "[Gru ppe", {false, {Group("Gru ppe")}}},
      {"text after ] dropped, name not trimmed", "[ G ] x ] y", {false, {Group(" G ")}}},
      {"empty group", "[]\n[", {false, {Group(""), Group("")}}},
      {"comment drops one blank only", "; c\n;  c\n;\n;;x",
       {false, {Comment("c"), Comment(" c"), Comment(""), Comment(";x")}}},
      {"key without =", "flag", {false, {Key("flag", "")}}},
      {"value keeps ; = and trailing blanks", "k = a ; b=c  ", {false, {Key("k", "a ; b=c  ")}}},
      {"key trailing TABs, value leading blanks", "k\t \t=\t 5", {false, {Key("k", "5")}}},
      {"empty key", "=5\n=", {false, {Key("", "5"), Key("", "")}}},
      {"NUL is an ordinary byte", "k\0=\0v"s, {false, {Key("k\0"s, "\0v"s)}}},
      {"mark at octet 0", "\xEF\xBB\xBFk=1", {true, {Key("k", "1")}}},
      {"mark alone", "\xEF\xBB\xBF", {true, {}}},
      {"two octets of the mark are text", "\xEF\xBB", {false, {Key("\xEF\xBB", "")}}},
      {"mark after a blank is text", " \xEF\xBB\xBFk", {false, {Key("\xEF\xBB\xBFk", "")}}},
      {"mark after a line break is text", "\r\n\xEF\xBB\xBFk=2",
       {false, {Key("\xEF\xBB\xBFk", "2")}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const SettingsContent parsed = app::ParseSettingsText(row.bytes);
    EXPECT_EQ(parsed, row.expected);
    EXPECT_EQ(app::ParseSettingsText(app::SettingsText(parsed)), parsed);
  }
}

TEST(SettingsText, WritesEachKindWithCrLf) {
  const SettingsContent content{false, {Comment("c"), Key("k", "v "), Group("G"), Key("", "")}};
  EXPECT_EQ(app::SettingsText(content), "; c\r\nk = v \r\n[G]\r\n = \r\n");
  EXPECT_EQ(app::SettingsText({true, {}}), "\xEF\xBB\xBF\r\n");
  EXPECT_EQ(app::SettingsText({}), "");
}

// A file without the mark whose first key begins with those three octets must not gain the
// mark when written: it would be read back as a UTF-8 file.
TEST(SettingsText, FirstKeyBeginningWithTheMarkStaysWithoutMark) {
  const SettingsContent content = app::ParseSettingsText(" \xEF\xBB\xBFk");
  ASSERT_FALSE(content.utf8);
  const std::string text = app::SettingsText(content);
  EXPECT_EQ(text, "\r\n\xEF\xBB\xBFk = \r\n");
  EXPECT_EQ(app::ParseSettingsText(text), content);
  // With the mark set, the key follows the mark's own empty line.
  SettingsContent utf8 = content;
  utf8.utf8 = true;
  EXPECT_EQ(app::SettingsText(utf8), "\xEF\xBB\xBF\r\n\xEF\xBB\xBFk = \r\n");
  EXPECT_EQ(app::ParseSettingsText(app::SettingsText(utf8)), utf8);
}

TEST(ReadScanfInt, ValueTable) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  struct Row {
    std::string text;
    std::int32_t expected;
  };
  const Row rows[] = {
      {"1", 1},           {"-1", -1},          {"+5", 5},
      {"7abc", 7},        {"abc", 0},          {"0x1F", 0},
      {"", 0},            {"0", 0},            {" 1.9", 1},
      {"12 34", 12},      {"- 5", 0},          {"+-5", 0},
      {"-", 0},           {"000000000000000000000012", 12},
      {" \t\n\v\f\r42", 42},                   // the C locale's white space
      {"\xA0" "5", 0},    {"\0" "5"s, 0},      // no other byte counts as white space
      {"2147483647", kMax},  {"2147483648", kMax},  {"99999999999999999999999", kMax},
      {"-2147483648", kMin}, {"-2147483649", kMin}, {"-99999999999999999999999", kMin},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("\"" + row.text + "\"");
    EXPECT_EQ(app::ReadScanfInt(row.text), row.expected);
  }
}

// ---------------------------------------------------------------------------------------
// Look-up and writing in memory

app::Settings OpenedFrom(std::string_view bytes) {
  app::Settings settings;
  settings.open = true;
  settings.content = app::ParseSettingsText(bytes);
  return settings;
}

TEST(SettingsLookUp, KeyTable) {
  struct Row {
    const char* name;
    std::string bytes;
    std::string key;
    std::int32_t expected;
  };
  const Row rows[] = {
      {"comment lines are passed over", "; HideTip=5\r\nHideTip=2", "HideTip", 2},
      {"the first group line ends the search", "a=1\r\n[G]\r\nHideTip=2", "HideTip", kFallback},
      {"the case of A-Z is ignored", "hIDEtIP=2", "HideTip", 2},
      {"the first match wins", "hidetip=3\r\nHIDETIP=4", "HideTip", 3},
      {"bytes from 0x80 compare exactly", "\xC4=1", "\xE4", kFallback},
      {"a byte from 0x80 matches itself", "\xC4=1", "\xC4", 1},
      {"UTF-8 file: the key is converted", "\xEF\xBB\xBF\xC3\x84=1", "\xC4", 1},
      {"UTF-8 file: the unconverted key is not found", "\xEF\xBB\xBF\xC4=1", "\xC4", kFallback},
      {"file without mark: UTF-8 bytes are not the key", "\xC3\x84=1", "\xC4", kFallback},
      {"a NUL in the key is part of it", "HideTip\0=1"s, "HideTip", kFallback},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(app::ReadSettingInt(OpenedFrom(row.bytes), row.key, kFallback), row.expected);
  }
}

TEST(SettingsLookUp, WriteReplacesInPlaceOrInsertsBeforeTheFirstGroup) {
  struct Row {
    const char* name;
    std::string bytes;
    std::string text;  // after writing HideTip = 5
  };
  const Row rows[] = {
      {"no entries", "", "HideTip = 5\r\n"},
      {"first entry a group", "[G]", "HideTip = 5\r\n[G]\r\n"},
      {"after the last entry before the group", "a=1\r\n;c\r\n[G]\r\nb=2",
       "a = 1\r\n; c\r\nHideTip = 5\r\n[G]\r\nb = 2\r\n"},
      {"at the end without a group", "a=1", "a = 1\r\nHideTip = 5\r\n"},
      {"found: key spelled anew, place kept", "a=1\r\nhIdEtIp = 7 ; x\r\nb=2",
       "a = 1\r\nHideTip = 5\r\nb = 2\r\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    app::Settings settings = OpenedFrom(row.bytes);
    app::WriteSettingInt(settings, app::kHideTipKey, 5);
    EXPECT_TRUE(settings.modified);
    EXPECT_EQ(app::SettingsText(settings.content), row.text);
    EXPECT_EQ(app::ReadSettingInt(settings, app::kHideTipKey, kFallback), 5);
  }
}

TEST(SettingsLookUp, WriteInUtf8FileStoresTheConvertedKeyAndSignedValue) {
  app::Settings settings = OpenedFrom("\xEF\xBB\xBF");
  app::WriteSettingInt(settings, "Gr\xF6\xDF" "e", std::numeric_limits<std::int32_t>::min());
  app::WriteSettingInt(settings, "n", 0);
  app::WriteSettingInt(settings, "p", 120);
  EXPECT_EQ(app::SettingsText(settings.content),
            "\xEF\xBB\xBF\r\nGr\xC3\xB6\xC3\x9F" "e = -2147483648\r\nn = 0\r\np = 120\r\n");
}

TEST(SettingsLookUp, NothingIsOpen) {
  app::Settings settings;
  settings.content = app::ParseSettingsText("HideTip=1");
  EXPECT_EQ(app::ReadSettingInt(settings, app::kHideTipKey, kFallback), kFallback);
  app::WriteSettingInt(settings, app::kHideTipKey, 0);
  EXPECT_FALSE(settings.modified);
  EXPECT_EQ(app::ReadScanfInt(settings.content.entries.at(0).value), 1);
  app::CloseSettings(settings);  // nothing open: nothing happens
}

// ---------------------------------------------------------------------------------------
// Files in, bytes out

// Binary bytes, NULs, lone CRs, blank lines, blanks, no final line end.
const std::string kOddFile = "\x01\x02\0\xFF\rHideTip\0=5\r\r\n\n  \t \n[\x80\xFE\n;;x\r=\0\0 end"s;

TEST_F(SettingsFileTest, FilesInBytesOut) {
  struct Row {
    const char* name;
    std::optional<std::string> in;  // nothing: no file
    std::vector<int> ticks;         // WriteSettingInt("HideTip", tick) in order
    std::int32_t read;
    std::optional<std::string> out;  // nothing: no file
  };
  const std::string group = ";Kommentar\r\n\r\n[Gruppe]\r\nHideTip=1\r\n";
  const Row rows[] = {
      {"no file, nothing written", std::nullopt, {}, kFallback, std::nullopt},
      {"no file, tick", std::nullopt, {1}, kFallback, "HideTip = 1\r\n"},
      {"no file, tick then untick", std::nullopt, {1, 0}, kFallback, "HideTip = 0\r\n"},
      {"lower-case key, tick", "hidetip=0", {1}, 0, "HideTip = 1\r\n"},
      {"same value written again", "  HideTip\t=\t1  ", {1}, 1, "HideTip = 1\r\n"},
      {"value 1", "HideTip=1\r\n", {}, 1, "HideTip=1\r\n"},
      {"value -1", "HideTip = -1\r\n", {}, -1, "HideTip = -1\r\n"},
      {"value 7abc", "HideTip=7abc", {}, 7, "HideTip=7abc"},
      {"value abc", "HideTip=abc\n", {}, 0, "HideTip=abc\n"},
      {"value 0x1F", "HideTip=0x1F", {}, 0, "HideTip=0x1F"},
      {"value 0", "HideTip=0", {}, 0, "HideTip=0"},
      {"empty value", "HideTip =", {}, 0, "HideTip ="},
      {"key without =", "HideTip\r\n", {}, 0, "HideTip\r\n"},
      {"other key only", "Other=5", {}, kFallback, "Other=5"},
      {"other key only, tick", "Other=5", {1}, kFallback, "Other = 5\r\nHideTip = 1\r\n"},
      {"key inside a group", group, {}, kFallback, group},
      {"key inside a group, tick", group, {1}, kFallback,
       "; Kommentar\r\nHideTip = 1\r\n[Gruppe]\r\nHideTip = 1\r\n"},
      {"UTF-8 file, tick", "\xEF\xBB\xBFHideTip=0\n", {1}, 0, "\xEF\xBB\xBF\r\nHideTip = 1\r\n"},
      {"mark alone, tick", "\xEF\xBB\xBF", {1}, kFallback, "\xEF\xBB\xBF\r\nHideTip = 1\r\n"},
      {"first key begins with the mark, tick", "\r\n\xEF\xBB\xBFk=2", {1}, kFallback,
       "\r\n\xEF\xBB\xBFk = 2\r\nHideTip = 1\r\n"},
      {"empty file", "", {}, kFallback, ""},
      {"empty file, tick", "", {0}, kFallback, "HideTip = 0\r\n"},
      {"odd file, nothing written", kOddFile, {}, kFallback, kOddFile},
      {"odd file, tick", kOddFile, {1}, kFallback,
       "\x01\x02\0\xFF = \r\nHideTip\0 = 5\r\nHideTip = 1\r\n"
       "[\x80\xFE]\r\n; ;x\r\n = \0\0 end\r\n"s},
  };
  int number = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string path = Path("row" + std::to_string(++number) + ".ini");
    if (row.in) WriteBytes(path, *row.in);
    EXPECT_EQ(RunSession(path, row.ticks), row.read);
    EXPECT_EQ(ReadBytes(path), row.out);
  }
}

TEST_F(SettingsFileTest, UnmodifiedFileKeepsBytesAndModificationTime) {
  const std::string path = Path("Kerbo.ini");
  WriteBytes(path, kOddFile);
  const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
  app::Settings settings;
  app::OpenSettings(settings, path);
  EXPECT_EQ(settings.content.entries.size(), 5u);
  app::CloseSettings(settings);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mtim.tv_sec, 1000000000);
  EXPECT_EQ(ReadBytes(path), kOddFile);
}

TEST_F(SettingsFileTest, BigFileWithoutLineEndIsRewritten) {
  std::string big(4 << 20, 'x');
  for (std::size_t i = 0; i < big.size(); i += 4099) big[i] = '\0';
  const std::string path = Path("Kerbo.ini");
  WriteBytes(path, big);
  EXPECT_EQ(RunSession(path, {1}), kFallback);
  const std::optional<std::string> out = ReadBytes(path);
  ASSERT_TRUE(out);
  const std::string tail = " = \r\nHideTip = 1\r\n";
  ASSERT_EQ(out->size(), big.size() + tail.size());
  EXPECT_TRUE(out->starts_with(big));
  EXPECT_TRUE(out->ends_with(tail));
}

TEST_F(SettingsFileTest, OpeningAgainClosesAndWritesThePreviousFile) {
  app::Settings settings;
  app::OpenSettings(settings, Path("a.ini"));
  app::WriteSettingInt(settings, app::kHideTipKey, 1);
  app::OpenSettings(settings, Path("b.ini"));
  EXPECT_EQ(ReadBytes(Path("a.ini")), "HideTip = 1\r\n");
  EXPECT_FALSE(settings.modified);
  EXPECT_EQ(settings.rememberedPath, Path("b.ini"));
  app::CloseSettings(settings);
  EXPECT_FALSE(settings.open);
  EXPECT_EQ(ReadBytes(Path("b.ini")), std::nullopt);
}

TEST_F(SettingsFileTest, NothingIsWrittenWithoutClose) {
  {
    app::Settings settings;
    app::OpenSettings(settings, Path("Kerbo.ini"));
    app::WriteSettingInt(settings, app::kHideTipKey, 1);
  }
  EXPECT_FALSE(fs::exists(Path("Kerbo.ini")));
}

void SettingsFileTest::AsUserBoundByFileModes(const std::function<void()>& body) {
  if (::geteuid() != 0) return body();
  constexpr uid_t kNobody = 65534;
  std::error_code error;
  ::chown(m_folder.c_str(), kNobody, kNobody);
  for (auto it = fs::recursive_directory_iterator(m_folder, error);
       it != fs::recursive_directory_iterator(); it.increment(error)) {
    ::lchown(it->path().c_str(), kNobody, kNobody);
  }
  const pid_t child = ::fork();
  ASSERT_GE(child, 0) << std::strerror(errno);
  if (child == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
      ::_exit(77);
    }
    body();
    ::_exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot become an unprivileged user";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the checks failed as an unprivileged user";
}

TEST_F(SettingsFileTest, ReadOnlyFileIsReadButNotWritten) {
  const std::string path = Path("Kerbo.ini");
  WriteBytes(path, "HideTip=1\r\n");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  AsUserBoundByFileModes([&] {
    app::Settings settings;
    app::OpenSettings(settings, path);
    EXPECT_TRUE(settings.readOnly);
    EXPECT_EQ(app::ReadSettingInt(settings, app::kHideTipKey, kFallback), 1);
    app::WriteSettingInt(settings, app::kHideTipKey, 0);
    app::CloseSettings(settings);
    EXPECT_EQ(ReadBytes(path), "HideTip=1\r\n");
  });
}

// A symlink to a regular file is followed: the target gets the text, the link stays.
TEST_F(SettingsFileTest, SymlinkToRegularFileIsWrittenThrough) {
  WriteBytes(Path("target.ini"), "HideTip=0");
  fs::create_symlink(Path("target.ini"), Path("Kerbo.ini"));
  EXPECT_EQ(RunSession(Path("Kerbo.ini"), {1}), 0);
  EXPECT_TRUE(fs::is_symlink(Path("Kerbo.ini")));
  EXPECT_EQ(ReadBytes(Path("target.ini")), "HideTip = 1\r\n");
}

// Whatever else stands at the settings path is neither read nor written nor waited for.
TEST_F(SettingsFileTest, NonRegularFileAtThePathCountsAsUnopenable) {
  struct Row {
    const char* name;
    std::function<bool(const std::string&)> make;  // false: cannot be made here
  };
  const Row rows[] = {
      {"FIFO", [](const std::string& path) { return ::mkfifo(path.c_str(), 0666) == 0; }},
      {"symlink to /dev/zero",
       [](const std::string& path) { return ::symlink("/dev/zero", path.c_str()) == 0; }},
      {"folder", [](const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }},
      {"socket",
       [](const std::string& path) {
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         if (path.size() >= sizeof address.sun_path) return false;
         std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         const bool bound =
             fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
         if (fd >= 0) ::close(fd);
         return bound;
       }},
  };
  int number = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string path = Path("thing" + std::to_string(++number));
    if (!row.make(path)) {
      ADD_FAILURE() << "cannot make a " << row.name << " here";
      continue;
    }
    const auto kind = fs::symlink_status(path).type();
    // A FIFO reader that sees whatever would be written into it.
    const int reader =
        kind == fs::file_type::fifo ? ::open(path.c_str(), O_RDONLY | O_NONBLOCK) : -1;
    ::alarm(kHangSeconds);
    app::Settings settings;
    app::OpenSettings(settings, path);
    EXPECT_FALSE(settings.file.IsOpen());
    EXPECT_EQ(app::ReadSettingInt(settings, app::kHideTipKey, kFallback), kFallback);
    app::WriteSettingInt(settings, app::kHideTipKey, 1);
    app::CloseSettings(settings);
    ::alarm(0);
    EXPECT_EQ(fs::symlink_status(path).type(), kind);
    if (reader >= 0) {
      char byte;
      EXPECT_LE(::read(reader, &byte, 1), 0);
      ::close(reader);
    }
  }
}

// ---------------------------------------------------------------------------------------
// The settings folder

TEST_F(SettingsFileTest, FirstStartMakesTheFolderAndTheFileOnlyOnWrite) {
  const std::string base = Path("a/b/config");
  SetEnvironment("XDG_CONFIG_HOME", base);
  SetEnvironment("HOME", Path("home"));
  const std::string folder = app::LocateSettingsFolder();
  ASSERT_EQ(folder, base + "/Zendravo/");
  EXPECT_TRUE(fs::is_directory(folder));
  for (const char* created : {"a", "a/b", "a/b/config"}) {
    SCOPED_TRACE(created);
    EXPECT_EQ(fs::status(Path(created)).permissions() & fs::perms::all, fs::perms::owner_all);
  }
  EXPECT_FALSE(fs::exists(Path("home")));
  const std::string path = app::SettingsFilePath(folder);
  EXPECT_EQ(path, folder + "Kerbo.ini");

  EXPECT_EQ(RunSession(path, {}), kFallback);
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(RunSession(path, {1}), kFallback);
  EXPECT_EQ(ReadBytes(path), "HideTip = 1\r\n");
  EXPECT_EQ(RunSession(path, {}), 1);
}

TEST_F(SettingsFileTest, FolderFromTheEnvironment) {
  struct Row {
    const char* name;
    std::optional<std::string> xdg;   // "@" stands for a fresh folder of the row
    std::optional<std::string> home;  // likewise
    std::string folder;               // expected; "" for none
  };
  const Row rows[] = {
      {"XDG_CONFIG_HOME wins", "@/xdg", "@/home", "@/xdg/Zendravo/"},
      {"trailing slashes dropped", "@/xdg//", "@/home", "@/xdg/Zendravo/"},
      {"relative XDG_CONFIG_HOME ignored", "xdg", "@/home", "@/home/.config/Zendravo/"},
      {"empty XDG_CONFIG_HOME ignored", "", "@/home", "@/home/.config/Zendravo/"},
      {"root as XDG_CONFIG_HOME ignored", "/", "@/home", "@/home/.config/Zendravo/"},
      {"no XDG_CONFIG_HOME", std::nullopt, "@/home/", "@/home/.config/Zendravo/"},
      {"no HOME", std::nullopt, std::nullopt, ""},
      {"HOME is the root", std::nullopt, "/", ""},
      {"HOME is the root twice", "", "//", ""},
      {"relative HOME", std::nullopt, "home", ""},
      {"empty HOME", std::nullopt, "", ""},
  };
  const bool rootHadFolder = fs::exists("/Zendravo") || fs::exists("/.config/Zendravo");
  int number = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string rowFolder = Path("row" + std::to_string(++number));
    const auto expand = [&rowFolder](const std::string& text) {
      return text.starts_with('@') ? rowFolder + text.substr(1) : text;
    };
    // An empty working folder shows that relative names are not created anywhere.
    const std::string work = rowFolder + "/work";
    fs::create_directories(work);
    fs::current_path(work);
    SetEnvironment("XDG_CONFIG_HOME", row.xdg ? std::optional(expand(*row.xdg)) : std::nullopt);
    SetEnvironment("HOME", row.home ? std::optional(expand(*row.home)) : std::nullopt);

    const std::string folder = app::LocateSettingsFolder();
    EXPECT_EQ(folder, expand(row.folder));
    if (!folder.empty()) {
      EXPECT_TRUE(fs::is_directory(folder));
    }
    const std::string path = app::SettingsFilePath(folder);
    EXPECT_EQ(path.empty(), folder.empty());
    EXPECT_EQ(RunSession(path, {1}), kFallback);
    if (!path.empty()) {
      EXPECT_EQ(ReadBytes(path), "HideTip = 1\r\n");
    }
    EXPECT_TRUE(fs::is_empty(work));
  }
  if (!rootHadFolder) {
    EXPECT_FALSE(fs::exists("/Zendravo"));
    EXPECT_FALSE(fs::exists("/.config/Zendravo"));
  }
}

// Every entry below the test folder with its type, in a fixed order.
std::vector<std::pair<std::string, fs::file_type>> Tree(const std::string& folder) {
  std::vector<std::pair<std::string, fs::file_type>> tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    tree.emplace_back(entry.path(), entry.symlink_status().type());
  }
  std::sort(tree.begin(), tree.end());
  return tree;
}

// With XDG_CONFIG_HOME at `base`, locating, reading and a write that is closed neither fail
// nor change anything below the test folder.
void SettingsFileTest::ExpectNothingMadeBelow(const std::string& base) {
  const auto before = Tree(m_folder);
  SetEnvironment("XDG_CONFIG_HOME", base);
  const std::string folder = app::LocateSettingsFolder();
  EXPECT_EQ(folder, base + "/Zendravo/");
  EXPECT_EQ(RunSession(app::SettingsFilePath(folder), {1}), kFallback);
  EXPECT_EQ(Tree(m_folder), before);
}

TEST_F(SettingsFileTest, FolderThatCannotBeMadeLeavesEverythingAsItWas) {
  {
    SCOPED_TRACE("a file named Zendravo");
    fs::create_directory(Path("cfg"));
    WriteBytes(Path("cfg/Zendravo"), "not a folder");
    ExpectNothingMadeBelow(Path("cfg"));
    EXPECT_EQ(ReadBytes(Path("cfg/Zendravo")), "not a folder");
  }
  {
    SCOPED_TRACE("base below a regular file");
    WriteBytes(Path("file"), "x");
    ExpectNothingMadeBelow(Path("file/cfg"));
  }
}

TEST_F(SettingsFileTest, ParentWithoutWritePermission) {
  fs::create_directory(Path("locked"));
  ASSERT_EQ(::chmod(Path("locked").c_str(), 0500), 0);
  AsUserBoundByFileModes([&] { ExpectNothingMadeBelow(Path("locked/cfg")); });
}

}  // namespace
