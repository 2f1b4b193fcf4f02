#include <gtest/gtest.h>

#include <string>

#include "support/singletons.h"
#include "support/text.h"
#include "support/wstring.h"

namespace {

struct CodePageCase {
  const char* name;
  std::string utf8;
  std::string cp866;
};

class CodePageRoundTrip : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(CodePageRoundTrip, ToOemAndBack) {
  WString w;
  EXPECT_EQ(w.ToOem(GetParam().utf8), GetParam().cp866);
  EXPECT_EQ(w.ToAnsi(GetParam().cp866), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CodePageRoundTrip,
    ::testing::Values(
        CodePageCase{"Empty", "", ""},
        CodePageCase{"Ascii", "C:\\VEM\\SM_R\\", "C:\\VEM\\SM_R\\"},
        CodePageCase{"WordFile", "Файл", "\x94\xA0\xA9\xAB"},
        CodePageCase{"YoAndCapitals", "ЁёЯя", "\xF0\xF1\x9F\xEF"},
        CodePageCase{"BoxDrawing", "╔═╗", "\xC9\xCD\xBB"},
        CodePageCase{"Mixed", "База N1 г. Москва", "\x81\xA0\xA7\xA0 N1 \xA3. \x8C\xAE\xE1\xAA\xA2\xA0"}),
    [](const auto& info) { return std::string(info.param.name); });

struct LossyCase {
  const char* name;
  std::string utf8;
  std::string cp866;
};

class ToOemLossy : public ::testing::TestWithParam<LossyCase> {};

TEST_P(ToOemLossy, BecomesQuestionMark) {
  EXPECT_EQ(WString().ToOem(GetParam().utf8), GetParam().cp866);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ToOemLossy,
    ::testing::Values(
        LossyCase{"EuroSign", "a€b", "a?b"},
        LossyCase{"Emoji", "x\xF0\x9F\x98\x80y", "x?y"},
        LossyCase{"GuillemetsLackInCp866", "«Да»", "?\x84\xA0?"},
        LossyCase{"LoneContinuationByte", "a\x80z", "a?z"},
        LossyCase{"CutSequence", "a\xD0", "a?"},
        LossyCase{"OverlongSlash", "\xC0\xAF", "??"},
        LossyCase{"Surrogate", "\xED\xA0\x80", "???"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WStringTest, LongTextsAreNotCut) {
  std::string utf8;
  for (int i = 0; i < 5000; ++i) utf8 += "Ж";
  WString w;
  const std::string oem = w.ToOem(utf8);
  EXPECT_EQ(oem, std::string(5000, '\x86'));
  EXPECT_EQ(w.ToAnsi(oem), utf8);
}

TEST(WStringTest, EveryCp866ByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  WString w;
  EXPECT_EQ(w.ToOem(w.ToAnsi(all)), all);
}

struct PadCase {
  const char* name;
  std::string text;
  int width;
  std::string expected;
};

class PadRightTest : public ::testing::TestWithParam<PadCase> {};

TEST_P(PadRightTest, Pads) {
  EXPECT_EQ(WString().PadRight(GetParam().text, GetParam().width), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, PadRightTest,
    ::testing::Values(PadCase{"Wider", "ABC", 5, "ABC  "}, PadCase{"Narrower", "ABC", 2, "ABC"},
                      PadCase{"Equal", "ABC", 3, "ABC"}, PadCase{"EmptyText", "", 4, "    "},
                      PadCase{"ZeroWidth", "AB", 0, "AB"}, PadCase{"NegativeWidth", "AB", -3, "AB"},
                      PadCase{"OemBytesCountOne", "\x94\xA0", 4, "\x94\xA0  "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextTest, Cp1251ToUtf8) {
  EXPECT_EQ(text::Cp1251ToUtf8("\xD4\xE0\xE9\xEB"), "Файл");
  EXPECT_EQ(text::Cp1251ToUtf8("\xA8\xB8\xB9"), "Ёё№");
  EXPECT_EQ(text::Cp1251ToUtf8("a\x98z"), "a?z");  // the undefined byte
  EXPECT_EQ(text::Utf8ToCp1251("Файл"), "\xD4\xE0\xE9\xEB");
}

struct UpperCase {
  const char* name;
  std::string in;
  std::string out;
};

class Utf8UpperTest : public ::testing::TestWithParam<UpperCase> {};

TEST_P(Utf8UpperTest, Upper) { EXPECT_EQ(text::Utf8Upper(GetParam().in), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(
    Letters, Utf8UpperTest,
    ::testing::Values(UpperCase{"Latin", "gesn2001_x", "GESN2001_X"},
                      UpperCase{"Cyrillic", "гэсн-абвгдежзийклмнопрстуфхцчшщъыьэюя",
                                "ГЭСН-АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"},
                      UpperCase{"Yo", "ёлка", "ЁЛКА"},
                      UpperCase{"UkrainianAndSerbian", "їґђ", "ЇҐЂ"},
                      UpperCase{"InvalidBytesKept", "a\xFF" "b", "A\xFF" "B"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextTest, CountsAndCutsCharacters) {
  EXPECT_EQ(text::Utf8Length("ГЭСН2001"), 8u);
  EXPECT_EQ(text::Utf8Length("a\xFF"), 2u);
  EXPECT_EQ(text::Utf8Substr("ГЭСН2001", 3), "Н2001");
  EXPECT_EQ(text::Utf8Substr("ГЭСН2001", 0, 4), "ГЭСН");
  EXPECT_EQ(text::Utf8Substr("ГЭСН", 9), "");
  EXPECT_TRUE(text::EqualsNoCase("Версия", "ВЕРСИЯ"));
  EXPECT_FALSE(text::EqualsNoCase("Version", "Versio"));
}

}  // namespace
