#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "platform/file_chooser.h"
#include "platform/files.h"
#include "platform/line_source.h"
#include "platform/local_date.h"
#include "support/test_support.h"

namespace {

using testsupport::Bytes;
using testsupport::TempDir;

std::string hex(const std::string& s) {
    std::string out;
    char buf[4];
    for (unsigned char c : s) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        out += buf;
    }
    if (!out.empty())
        out.pop_back();
    return out;
}

TEST(Cp932, ConvertsWindowsCodePointsBothWays) {
    // The Windows table: wave dash as 81 60, circled one as 87 40, half-width katakana in one byte.
    EXPECT_EQ(hex(platform::toCp932("～①ｱあA")), "81 60 87 40 B1 82 A0 41");
    EXPECT_EQ(platform::toUtf8("\x81\x60\x87\x40\xB1\x82\xA0\x41"), "～①ｱあA");
}

TEST(Cp932, ReportsTheFirstCharacterWithoutACode) {
    platform::TextConversion c = platform::utf8ToCp932("ab한c");
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.badCharacter, "한");
    EXPECT_EQ(c.badOffset, 2u);
    EXPECT_EQ(c.text, "ab");

    platform::TextConversion broken = platform::cp932ToUtf8("A\x82");  // lead byte cut off
    EXPECT_FALSE(broken.ok);
    EXPECT_EQ(broken.text, "A");
}

TEST(Cp932, PrefixNeverEndsInsideADoubleByteCharacter) {
    std::string s = platform::toCp932("aあい");  // 61 82 A0 82 A2
    EXPECT_EQ(platform::cp932PrefixLength(s, 5), 5u);
    EXPECT_EQ(platform::cp932PrefixLength(s, 4), 3u);
    EXPECT_EQ(platform::cp932PrefixLength(s, 2), 1u);
    EXPECT_EQ(platform::cp932PrefixLength(s, 0), 0u);
    EXPECT_EQ(platform::cp932PrefixLength(std::string("a\x82"), 5), 1u);
}

TEST(LocalDates, ParsesRealDatesAndCountsDaysFrom1904) {
    EXPECT_EQ(platform::parseDate("2001-12-05"), (platform::LocalDate{2001, 12, 5}));
    EXPECT_FALSE(platform::parseDate("2001-02-29"));
    EXPECT_FALSE(platform::parseDate("2001-1-05"));
    EXPECT_FALSE(platform::parseDate("20011205xx"));
    EXPECT_EQ(platform::daysSince1904({1904, 1, 1}), 0);
    EXPECT_EQ(platform::daysSince1904({1905, 1, 1}), 366);  // 1904 is a leap year
    // 2001-12-05 is stamped B8 33 14 00 = 3090355200 s = 35768 days.
    EXPECT_EQ(platform::daysSince1904({2001, 12, 5}), 35768);
    platform::LocalDate now = platform::today();
    EXPECT_GE(now.year, 2024);
}

// Temporary files of the outputs in the folder: ".NAME.kwib-tmp-PID-XXXXXX".
std::vector<std::string> temporariesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename().string().find(".kwib-tmp-") != std::string::npos)
            names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// A run killed after it began writing the target: a child process that ends without
// putting its set in place, so its temporary file stays. Returns its process ID.
std::string killedRun(const std::string& target) {
    pid_t child = ::fork();
    if (child == 0) {
        platform::OutputSet set;
        set.add(target, std::string("half"));
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return std::to_string(child);
}

TEST(OutputSet, ReplacesAllOrNothingAndKeepsWhatTheUserSetUp) {
    struct Case {
        const char* what;
        std::function<void(TempDir&)> before;                    // the folder as the user left it
        std::vector<std::pair<const char*, std::string>> files;  // written as one set
        std::optional<std::size_t> failAfter;
        std::optional<platform::WriteError::Stage> failure;  // of the last file named
        std::function<void(TempDir&)> after;
    };
    std::string dead;
    const std::string live = std::to_string(::getppid());
    const mode_t savedUmask = ::umask(027);  // the test runs alone; restored below
    const Case cases[] = {
        {"the second file fails while written: neither is replaced",
         [](TempDir& d) {
             testsupport::writeBytes(d.file("a"), {'A'});
             testsupport::writeBytes(d.file("b"), {'B'});
         },
         {{"a", "new a"}, {"b", "new b"}},
         7,
         platform::WriteError::Stage::Write,
         [](TempDir& d) {
             EXPECT_EQ(testsupport::readText(d.file("a")), "A");
             EXPECT_EQ(testsupport::readText(d.file("b")), "B");
         }},
        {"the second file cannot be renamed: the first is put back, a new third is removed",
         [](TempDir& d) {
             testsupport::writeBytes(d.file("a"), {'A'});
             std::filesystem::create_directory(d.file("b"));
         },
         {{"a", "new a"}, {"c", "new c"}, {"b", "new b"}},
         {},
         platform::WriteError::Stage::Replace,
         [](TempDir& d) {
             EXPECT_EQ(testsupport::readText(d.file("a")), "A");
             EXPECT_FALSE(testsupport::exists(d.file("c")));
         }},
        {"a missing folder cannot be created",
         [](TempDir&) {},
         {{"no/such/x", "x"}},
         {},
         platform::WriteError::Stage::Create,
         [](TempDir&) {}},
        {"replaced files keep their mode, a new one gets 0666 less the umask",
         [](TempDir& d) {
             testsupport::writeBytes(d.file("private"), {'p'});
             ::chmod(d.file("private").c_str(), 0600);
             testsupport::writeBytes(d.file("group"), {'g'});
             ::chmod(d.file("group").c_str(), 0660);
         },
         {{"private", "p2"}, {"group", "g2"}, {"new", "n"}},
         {},
         {},
         [](TempDir& d) {
             EXPECT_EQ(modeOf(d.file("private")), 0600u);
             EXPECT_EQ(modeOf(d.file("group")), 0660u);
             EXPECT_EQ(modeOf(d.file("new")), 0640u);
         }},
        {"a symbolic link is written through (the file replaced whole) and stays a link",
         [](TempDir& d) {
             std::filesystem::create_directory(d.file("shared"));
             testsupport::writeBytes(d.file("shared/db"), {'o'});
             std::filesystem::create_symlink("shared/db", d.file("link"));
         },
         {{"link", "through"}},
         {},
         {},
         [](TempDir& d) {
             EXPECT_TRUE(std::filesystem::is_symlink(d.file("link")));
             EXPECT_EQ(testsupport::readText(d.file("shared/db")), "through");
             EXPECT_EQ(temporariesIn(d.file("shared")), std::vector<std::string>{});
         }},
        {"temporaries of an ended run are removed; a running one's, another target's and "
         "names not of that form are kept",
         [&](TempDir& d) {
             dead = killedRun(d.file("t"));
             ASSERT_EQ(temporariesIn(d.path()).size(), 1u);
             testsupport::writeBytes(d.file(".t.kwib-tmp-" + live + "-abcdef"), {'x'});
             testsupport::writeBytes(d.file(".t.kwib-tmp-" + dead + "-x"), {'x'});
             testsupport::writeBytes(d.file(".u.kwib-tmp-" + dead + "-abcdef"), {'x'});
         },
         {{"t", "t"}},
         {},
         {},
         [&](TempDir& d) {
             std::vector<std::string> kept{".t.kwib-tmp-" + live + "-abcdef",
                                           ".t.kwib-tmp-" + dead + "-x",
                                           ".u.kwib-tmp-" + dead + "-abcdef"};
             std::sort(kept.begin(), kept.end());
             EXPECT_EQ(temporariesIn(d.path()), kept);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        c.before(dir);
        const auto planted = temporariesIn(dir.path());
        platform::testing::WriteFaults faults(c.failAfter);
        platform::OutputSet set;
        platform::WriteError error;
        bool ok = true;
        for (const auto& [name, text] : c.files) ok = ok && set.add(dir.file(name), text, &error);
        ok = ok && set.commit(&error);
        faults.end();
        EXPECT_EQ(ok, !c.failure);
        if (c.failure) {
            EXPECT_EQ(error.stage, *c.failure);
            EXPECT_EQ(error.path, dir.file(c.files.back().first));
            EXPECT_FALSE(error.reason.empty());
        }
        c.after(dir);
        for (const std::string& t : temporariesIn(dir.path()))  // only the live run's remain
            EXPECT_NE(std::find(planted.begin(), planted.end(), t), planted.end()) << t;
    }
    ::umask(savedUmask);
}

TEST(Files, ReadFileAndExistence) {
    TempDir dir;
    testsupport::writeBytes(dir.file("a"), Bytes{1, 2, 3});
    EXPECT_TRUE(platform::fileExists(dir.file("a")));
    EXPECT_FALSE(platform::fileExists(dir.path()));  // a folder is not a file
    EXPECT_EQ(platform::readFile(dir.file("a"))->bytes, "\x01\x02\x03");
    auto missing = platform::readFile(dir.file("missing"));
    EXPECT_FALSE(missing);
    EXPECT_FALSE(missing.error().empty());
}

// Lines split by hand, one byte at a time, as each convention defines them.
std::vector<std::string> splitLines(const std::string& text, platform::LineEnds ends) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        bool anyEnd = ends == platform::LineEnds::AnyEnd;
        if (c == '\n' || (anyEnd && c == '\r')) {
            if (!anyEnd && !line.empty() && line.back() == '\r')
                line.pop_back();
            if (anyEnd && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) {
        if (ends == platform::LineEnds::Lf && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> readLines(platform::LineSource& source) {
    std::vector<std::string> lines;
    std::string_view line;
    while (source.next(line)) {
        lines.emplace_back(line);
        EXPECT_EQ(source.lineNumber(), lines.size());
    }
    EXPECT_FALSE(source.failed()) << source.error();
    return lines;
}

TEST(LineSources, AFileGivesTheLinesOfItsBytesWhateverItsSize) {
    // Three buffers' worth of lines of every length up to 5000 bytes, the line ends taking
    // turns; a CR LF straddles the end of the first read, and the file ends with a CR.
    std::string text;
    const char* const lineEnds[] = {"\r\n", "\n", "\r", "\r\r\n"};
    for (std::size_t k = 0; text.size() < 3 * platform::LineSource::kMaxLine; ++k) {
        text += std::string(k * 37 % 5000, static_cast<char>('a' + k % 26));
        if (k % 7 == 3)
            text += "\rmid";
        text += lineEnds[k % 4];
    }
    text.insert(platform::LineSource::kMaxLine + 1, "\r\n");  // CR last of the first read
    text += "last line\r";
    TempDir dir;
    testsupport::writeBytes(dir.file("t.txt"), Bytes(text.begin(), text.end()));
    for (auto ends : {platform::LineEnds::Lf, platform::LineEnds::AnyEnd}) {
        std::vector<std::string> want = splitLines(text, ends);
        platform::LineSource memory(text, ends);
        EXPECT_EQ(readLines(memory), want);
        auto file = platform::LineSource::openFile(dir.file("t.txt"), ends);
        ASSERT_TRUE(file);
        EXPECT_EQ(readLines(*file), want);
        ASSERT_TRUE(file->rewind());  // a second pass reads the same lines
        EXPECT_EQ(readLines(*file), want);
    }
}

TEST(LineSources, ALineLongerThanTheBufferStopsTheReading) {
    TempDir dir;
    std::string longest(platform::LineSource::kMaxLine, 'x');
    std::string text = "first\n" + longest + "\n" + longest + "y\nnever\n";
    testsupport::writeBytes(dir.file("t.txt"), Bytes(text.begin(), text.end()));
    auto file = platform::LineSource::openFile(dir.file("t.txt"), platform::LineEnds::Lf);
    ASSERT_TRUE(file);
    std::string_view line;
    ASSERT_TRUE(file->next(line));
    ASSERT_TRUE(file->next(line));
    EXPECT_EQ(line.size(), longest.size());
    EXPECT_FALSE(file->next(line));
    EXPECT_EQ(file->failure(), platform::LineSource::Failure::LineTooLong);
    EXPECT_EQ(file->lineNumber(), 2u);  // the overlong line is the third
    auto missing = platform::LineSource::openFile(dir.file("missing"), platform::LineEnds::Lf);
    EXPECT_FALSE(missing);
    EXPECT_FALSE(missing.error().empty());
}

}  // namespace
