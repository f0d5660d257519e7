// Access keys in captions and the caption colour on coloured buttons.
#include <gtest/gtest.h>

#include "form/captions.h"

namespace brivet::form {
namespace {

TEST(AccessKey, FirstSingleAmpersandMarksTheNextCharacter) {
  EXPECT_EQ(AccessKeyOf(u"&Yes"), u'Y');
  EXPECT_EQ(AccessKeyOf(u"Save &as"), u'a');
  EXPECT_EQ(AccessKeyOf(u"&One &Two"), u'O');
  EXPECT_EQ(AccessKeyOf(u"Fish && &Chips"), u'C');
  EXPECT_EQ(AccessKeyOf(u"&&&X"), u'X');
  EXPECT_FALSE(AccessKeyOf(u"Fish && Chips"));
  EXPECT_FALSE(AccessKeyOf(u"Trailing&"));
  EXPECT_FALSE(AccessKeyOf(u"No key"));
  EXPECT_FALSE(AccessKeyOf(u""));
}

TEST(AccessKey, MarksAreDroppedFromTheShownText) {
  EXPECT_EQ(WithoutAccessMarks(u"&Yes"), u"Yes");
  EXPECT_EQ(WithoutAccessMarks(u"Fish && &Chips"), u"Fish & Chips");
  EXPECT_EQ(WithoutAccessMarks(u"&&&X&"), u"&X");
  EXPECT_EQ(WithoutAccessMarks(u"plain"), u"plain");
}

TEST(AccessKey, TypedKeyMatchesInEitherCase) {
  EXPECT_TRUE(IsAccessKey(u"&Yes", u'y'));
  EXPECT_TRUE(IsAccessKey(u"&yes", u'Y'));
  EXPECT_TRUE(IsAccessKey(u"&\u00E9t\u00E9", u'\u00C9'));
  EXPECT_FALSE(IsAccessKey(u"&Yes", u'n'));
  EXPECT_FALSE(IsAccessKey(u"Yes", u'y'));
  EXPECT_FALSE(IsAccessKey(u"&\u00F7", u'\u00D7'));  // division and multiplication signs
}

TEST(CaptionColour, BlackOrWhiteWhicheverReadsBetter) {
  struct Case {
    int32_t background, caption;
  };
  // 0x00BBGGRR values.
  const Case cases[] = {
      {0xFFFFFF, kBlack},  // white
      {0x00FFFF, kBlack},  // yellow
      {0xFF0000, kWhite},  // pure blue
      {0x006400, kWhite},  // dark green
      {0x000000, kWhite},  // black
      {0x808080, kBlack},  // mid grey: 5.3 against black, 3.9 against white
      {0x0000FF, kBlack},  // pure red: 5.3 against black, 4.0 against white
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CaptionColorOn(c.background), c.caption) << std::hex << c.background;
    EXPECT_GE(ContrastRatio(c.background, CaptionColorOn(c.background)),
              ContrastRatio(c.background, c.caption == kBlack ? kWhite : kBlack));
  }
  EXPECT_NEAR(ContrastRatio(kBlack, kWhite), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(0xFF0000, kWhite), 8.59, 0.01);
}

}  // namespace
}  // namespace brivet::form
