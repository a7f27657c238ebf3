// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/QualityCodes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

namespace {

TEST(QualityCodesTest, PositionsMapToTheLameCodes) {
    EXPECT_EQ(QualityCodeAt(0), 0);      // 標準
    EXPECT_EQ(QualityCodeAt(2), 2);      // 良い
    EXPECT_EQ(QualityCodeAt(5), 5);      // 最高
    EXPECT_EQ(QualityCodeAt(6), 1000);   // 電話
    EXPECT_EQ(QualityCodeAt(10), 5000);  // 音声(新)
    EXPECT_EQ(QualityCodeAt(15), 10000); // スタジオ
}

TEST(QualityCodesTest, EveryCodeLeadsBackToItsPosition) {
    std::set<std::int32_t> seen;
    for (int position = 0; position < 16; ++position) {
        const std::int32_t code = QualityCodeAt(position);
        EXPECT_TRUE(seen.insert(code).second) << "code " << code << " appears twice";
        EXPECT_EQ(QualityPositionOf(code), position);
    }
}

TEST(QualityCodesTest, UnknownPositionsAndCodesFindNothing) {
    EXPECT_EQ(QualityCodeAt(-1), -1);
    EXPECT_EQ(QualityCodeAt(16), -1);
    EXPECT_EQ(QualityPositionOf(6), -1);
    EXPECT_EQ(QualityPositionOf(999), -1);
    EXPECT_EQ(QualityPositionOf(11000), -1);
    EXPECT_EQ(QualityPositionOf(-1), -1);
}

} // namespace
