// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/GenreNames.h"

#include <gtest/gtest.h>

namespace {

TEST(GenreTest, EveryNameMapsBackToItsNumber) {
    ASSERT_EQ(GenreNames.size(), 148u);
    for (std::size_t n = 0; n < GenreNames.size(); ++n) {
        EXPECT_EQ(FindGenre(GenreNames[n]), n) << GenreNames[n];
        EXPECT_EQ(GenreName(static_cast<std::uint8_t>(n)), GenreNames[n]);
    }
}

TEST(GenreTest, NumbersOfTheListedNames) {
    EXPECT_EQ(FindGenre("Blues"), 0);
    EXPECT_EQ(FindGenre("Rock"), 17);
    EXPECT_EQ(FindGenre("Euro-tecno"), 25);
    EXPECT_EQ(FindGenre("Juzz+Funk"), 29);
    EXPECT_EQ(FindGenre("Rock & Roll"), 78);
    EXPECT_EQ(FindGenre("SpeechChanson"), 101);
    EXPECT_EQ(FindGenre("Chanson"), 102);
    EXPECT_EQ(FindGenre("Chiristian Gangsta Rap"), 136);
    EXPECT_EQ(FindGenre("JPop"), 146);
    EXPECT_EQ(FindGenre("Synthpop"), 147);
}

TEST(GenreTest, OnlyExactNamesAreFound) {
    EXPECT_EQ(FindGenre(""), NoGenre);
    EXPECT_EQ(FindGenre("rock"), NoGenre);
    EXPECT_EQ(FindGenre("ROCK"), NoGenre);
    EXPECT_EQ(FindGenre("Rock "), NoGenre);
    EXPECT_EQ(FindGenre("Roc"), NoGenre);
    EXPECT_EQ(FindGenre("Euro-techno"), NoGenre); // the list's own spelling is the name
    EXPECT_EQ(NoGenre, 255);
}

TEST(GenreTest, NumbersPastTheListHaveNoName) {
    EXPECT_EQ(GenreName(148), "");
    EXPECT_EQ(GenreName(NoGenre), "");
}

} // namespace
