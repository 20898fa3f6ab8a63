// What the batch case folder cannot pin down, its clock being the real one: logs written
// in the same second keep each other, and a question inside a conversion gets the batch's
// answer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "converter/batch/batch.h"

namespace {

TEST(BatchLog, SameSecondGetsTheNextFreeName) {
    setenv("TZ", "UTC", 1);
    const std::filesystem::path dir =
        std::filesystem::path(::testing::TempDir()) / "kwib-batch-log-test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    batch::Batch b(batch::Kind::DmFile, {"a.dm"}, dir.string(), {});
    const std::time_t stamp = 1'000'000'000;  // 2001-09-09 01:46:40 UTC
    for (const char* expected :
         {"vornik-batch-20010909-014640.csv", "vornik-batch-20010909-014640-2.csv",
          "vornik-batch-20010909-014640-3.csv"}) {
        auto path = batch::writeLog(b, stamp);
        ASSERT_TRUE(path) << path.error();
        EXPECT_EQ(std::filesystem::path(*path).filename(), expected);
    }
    std::filesystem::remove_all(dir);
}

TEST(BatchPrompter, QuestionsGetTheBatchsAnswer) {
    using platform::Answer;
    using platform::Buttons;
    const struct {
        Buttons buttons;
        Answer no, yes;
    } cases[] = {{Buttons::Ok, Answer::Ok, Answer::Ok},
                 {Buttons::YesNo, Answer::No, Answer::Yes},
                 {Buttons::OkCancel, Answer::Cancel, Answer::Ok},
                 {Buttons::SaveDiscardCancel, Answer::Cancel, Answer::Save}};
    for (const auto& c : cases) {
        batch::BatchPrompter no, yes({}, true);
        EXPECT_EQ(no.show("t", "", platform::Icon::Question, c.buttons), c.no);
        EXPECT_EQ(yes.show("t", "", platform::Icon::Question, c.buttons), c.yes);
        EXPECT_EQ(no.messages().at(0).counts(), c.buttons != Buttons::Ok);
    }
}

}  // namespace
