#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "win/ansi_text.h"

namespace {

TEST(AnsiText, CaseIsFoldedOnlyForSingleByteLetters)
{
    EXPECT_TRUE(EqualsIgnoringCase("C:\\Tools\\Kivora.exe", "c:\\tools\\KIVORA.EXE", 200));
    EXPECT_FALSE(EqualsIgnoringCase("C:\\Tools", "C:\\Tool", 200));
    // "ａ" (82 81) and "Ａ" (82 60) are different characters, not one folded pair;
    // nor may a trail byte in the letter range be folded ("ア" is 83 41, "Ａ" 82 60).
    EXPECT_FALSE(EqualsIgnoringCase("ａ", "Ａ", 200));
    EXPECT_FALSE(EqualsIgnoringCase("\x83\x41", "\x83\x61", 200));
    EXPECT_TRUE(EqualsIgnoringCase("abcX", "ABCy", 3)) << "at most limit bytes";
}

TEST(AnsiText, CopiesThatDoNotFitAreRefusedOrCutAtACharacter)
{
    char small[6];
    EXPECT_TRUE(CopyIfFits(small, sizeof small, "12345"));
    EXPECT_FALSE(CopyIfFits(small, sizeof small, "123456"));
    EXPECT_STREQ(small, "");
    std::strcpy(small, "ab");
    EXPECT_TRUE(AppendIfFits(small, sizeof small, "cde"));
    EXPECT_FALSE(AppendIfFits(small, sizeof small, "f"));
    EXPECT_STREQ(small, "abcde");

    char cut[6];
    CopyTruncated(cut, sizeof cut, "ab山田");   // 2 + 2 + 2 bytes: the last one does not fit
    EXPECT_STREQ(cut, "ab山");
}

TEST(AnsiText, SuffixMustStartOnACharacter)
{
    EXPECT_TRUE(EndsWithIgnoringCase("taro.DAT", ".dat"));
    EXPECT_FALSE(EndsWithIgnoringCase("at", ".dat"));
    // The lead byte 0x81 swallows the '.', so this name does not end in ".dat".
    EXPECT_FALSE(EndsWithIgnoringCase("x\x81.dat", ".dat"));
}

} // namespace
