#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/console_prompter.h"
#include "platform/cp932.h"
#include "platform/file_chooser.h"
#include "platform/files.h"
#include "platform/line_source.h"
#include "platform/local_date.h"
#include "platform/scripted_prompter.h"
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

TEST(Prompters, ConsoleFormatsBoxesAndAnswersQuestionsOnlyWhenToldTo) {
    std::ostringstream out;
    platform::ConsolePrompter refuse(out);
    EXPECT_EQ(refuse.show("done", "csv2pdb", platform::Icon::Information, platform::Buttons::Ok),
              platform::Answer::Ok);
    EXPECT_EQ(refuse.show("bad", "", platform::Icon::Critical, platform::Buttons::Ok),
              platform::Answer::Ok);
    EXPECT_EQ(refuse.show("sure?", "", platform::Icon::Question, platform::Buttons::OkCancel),
              platform::Answer::Cancel);
    EXPECT_EQ(out.str(), "[info] csv2pdb: done\n[error] : bad\n[question] : sure?\n");
    EXPECT_TRUE(refuse.refusedQuestion());
    EXPECT_TRUE(refuse.sawError());

    std::ostringstream out2;
    platform::ConsolePrompter yes(out2, true);
    EXPECT_EQ(yes.show("quit?", "t", platform::Icon::Question, platform::Buttons::YesNo),
              platform::Answer::Yes);
    EXPECT_FALSE(yes.refusedQuestion());
}

TEST(Prompters, ScriptedRecordsCallsAndAnswersFromItsQueue) {
    platform::ScriptedPrompter p;
    p.answerNext(platform::Answer::Cancel);
    EXPECT_EQ(p.show("a", "t", platform::Icon::Warning, platform::Buttons::Ok),
              platform::Answer::Ok);
    EXPECT_EQ(p.show("b", "t", platform::Icon::Question, platform::Buttons::OkCancel),
              platform::Answer::Cancel);
    EXPECT_EQ(p.show("c", "t", platform::Icon::Question, platform::Buttons::YesNo),
              platform::Answer::Yes);
    EXPECT_EQ(p.texts(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(FileChoosers, DefaultExtensionAndConsoleAnswers) {
    EXPECT_EQ(platform::withDefaultExtension("/a/b", "csv"), "/a/b.csv");
    EXPECT_EQ(platform::withDefaultExtension("/a/b.txt", "csv"), "/a/b.txt");
    EXPECT_EQ(platform::withDefaultExtension("/a.d/b", "csv"), "/a.d/b.csv");

    std::istringstream in("/tmp/x\n\n");
    std::ostringstream out;
    platform::ConsoleFileChooser chooser(in, out);
    platform::FileRequest req{"pick", "CSVﾌｧｲﾙ", "*.csv", "csv", "", true};
    EXPECT_EQ(chooser.choose(req), std::optional<std::string>("/tmp/x.csv"));
    EXPECT_EQ(chooser.choose(req), std::nullopt);  // empty line cancels
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

class AtomicWrites : public ::testing::Test {
  protected:
    void TearDown() override { platform::testing::failWritesAfter(std::nullopt); }
    TempDir dir;
};

TEST_F(AtomicWrites, ReplaceTheFileWholeAndLeaveNoTemporaryFiles) {
    std::string path = dir.file("out.bin");
    ASSERT_TRUE(platform::writeFileAtomically(path, std::string("first")));
    ASSERT_TRUE(platform::writeFileAtomically(path, std::string("second, longer")));
    EXPECT_EQ(testsupport::readText(path), "second, longer");
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(AtomicWrites, AFailureMidwayKeepsTheEarlierFile) {
    std::string path = dir.file("out.bin");
    ASSERT_TRUE(platform::writeFileAtomically(path, std::string("good old content")));
    platform::testing::failWritesAfter(3);
    platform::WriteError error;
    EXPECT_FALSE(
        platform::writeFileAtomically(path, std::string("new content that fails"), &error));
    EXPECT_EQ(error.stage, platform::WriteError::Stage::Write);
    EXPECT_EQ(testsupport::readText(path), "good old content");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(AtomicWrites, AMissingFolderIsReportedAsCannotCreate) {
    platform::WriteError error;
    EXPECT_FALSE(
        platform::writeFileAtomically(dir.file("no/such/dir/x"), std::string("x"), &error));
    EXPECT_EQ(error.stage, platform::WriteError::Stage::Create);
    EXPECT_FALSE(error.reason.empty());
}

TEST(Files, ReadWholeFileAndExistence) {
    TempDir dir;
    testsupport::writeBytes(dir.file("a"), Bytes{1, 2, 3});
    EXPECT_TRUE(platform::fileExists(dir.file("a")));
    EXPECT_FALSE(platform::fileExists(dir.path()));  // a folder is not a file
    EXPECT_EQ(platform::readWholeFile(dir.file("a")), (platform::Bytes{1, 2, 3}));
    std::string reason;
    EXPECT_FALSE(platform::readWholeFile(dir.file("missing"), &reason));
    EXPECT_FALSE(reason.empty());
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
    std::string reason;
    EXPECT_FALSE(
        platform::LineSource::openFile(dir.file("missing"), platform::LineEnds::Lf, &reason));
    EXPECT_FALSE(reason.empty());
}

}  // namespace
