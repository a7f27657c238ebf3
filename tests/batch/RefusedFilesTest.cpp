// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/RefusedFiles.h"
#include "batch/OutcomeText.h"

#include <gtest/gtest.h>

#include <string>

TEST(RefusedFilesTest, TheSummaryCountsEachReasonInTheOrderFirstMet) {
    RefusedFiles refused;
    EXPECT_TRUE(refused.Empty());
    refused.Add("/m/a.txt", OutcomeText::kNotWav);
    refused.Add("/m/b.wav", OutcomeText::kAlreadyListed);
    refused.Add("/m/c.mp3", OutcomeText::kNotWav);
    EXPECT_EQ(refused.Summary(), "追加しなかったファイル 3 個: 拡張子が .wav ではありません (2)、"
                                 "すでにリストにあります (1)");
    EXPECT_EQ(refused.Details(), "a.txt: 拡張子が .wav ではありません\n"
                                 "b.wav: すでにリストにあります\n"
                                 "c.mp3: 拡張子が .wav ではありません");
}

TEST(RefusedFilesTest, TheDetailsNameTheFirstFilesAndCountTheRest) {
    RefusedFiles refused;
    for (std::size_t at = 0; at < RefusedFiles::kDetailsNamed + 3; ++at) {
        refused.Add("/m/" + std::to_string(at) + ".txt", OutcomeText::kNotWav);
    }
    const std::string details = refused.Details();
    EXPECT_NE(details.find("\n19.txt: "), std::string::npos);
    EXPECT_EQ(details.find("20.txt"), std::string::npos);
    EXPECT_TRUE(details.ends_with("\nほか 3 個"));
}

TEST(OutcomeTextTest, CountsAreWordedAsTheTerminalSummaryWordsThem) {
    const std::vector<BatchItemReport> reports{{BatchItemResult::Converted, "/o/a.mp3"},
                                               {BatchItemResult::Failed, ""},
                                               {BatchItemResult::Converted, "/o/b.mp3"},
                                               {BatchItemResult::Cancelled, ""}};
    EXPECT_EQ(OutcomeText::CountsText(OutcomeText::CountResults(reports)),
              "変換済み 2, スキップ 0, 失敗 1, キャンセル 1");
}
