// Text forms of setting values and stored passwords, both ways.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/config_records.h"
#include "config/password_scramble.h"
#include "config/setting_text.h"

namespace {

std::string Scrambled(const std::string& plain) {
  char stored[kScrambledSize];
  ScramblePassword(plain.c_str(), stored);
  return stored;
}

std::string Unscrambled(const std::string& stored) {
  char plain[kPasswordSize];
  UnscramblePassword(stored.c_str(), plain, sizeof plain);
  return plain;
}

TEST(PasswordScramble, WritesKeyAndRotatedBytesEscapingWhatAnIniValueCannotHold) {
  struct Case {
    const char* plain;
    std::string stored;
  } cases[] = {
      {"", ""},
      {"ab", "\x7F\xC3\x1F\"J"},   // 1 is escaped as 1 + 33
      {"\x1C", "\x7F\x1F\x1F>$"},  // k = 28: doubled escape and 28 + 34
      {"dx",
       "\x7F\xDC\x1F"
       "5\x1F^"},                // "=" as 61 + 33
      {"a2", "\x7F\x93Q\x1F|"},  // "["
      {"b7", "\x7F\x99\x1F~E"},  // "]"
      {"bv", "\x7F\xD8\x1F\x1F>\x1F\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Scrambled(c.plain), c.stored) << c.plain;
    EXPECT_EQ(Unscrambled(c.stored), c.plain) << c.plain;
  }
}

TEST(PasswordScramble, EveryByteSurvivesTheRoundTripAndNoneBreaksAnIniLine) {
  std::string all;
  for (int b = 1; b < 256; b++)
    all += (char)b;
  for (size_t start = 0; start < all.size(); start += 63) {
    std::string plain = all.substr(start, 63);
    std::string stored = Scrambled(plain);
    EXPECT_EQ(stored.find_first_of(std::string(" =[]\r\n\0", 7)), std::string::npos);
    EXPECT_EQ((unsigned char)stored[0], 0x7F);
    EXPECT_EQ(Unscrambled(stored), plain) << start;
  }
}

TEST(PasswordScramble, AStoredValueWithout0x7FIsThePlainPasswordCutTo63) {
  EXPECT_EQ(Unscrambled("Plain Text"), "Plain Text");
  EXPECT_EQ(Unscrambled(std::string(100, 'p')), std::string(63, 'p'));
  // Broken scrambled values give what was whole before the break.
  EXPECT_EQ(Unscrambled("\x7F"), "");
  EXPECT_EQ(Unscrambled("\x7F\xC3\x1F"), "");
  EXPECT_EQ(Unscrambled("\x7F\xC3\x1F\"J\x1F"), "ab");
}

TEST(SettingText, WinposNeedsFourNumbersAnOriginNotNegativeAndNoInvertedSides) {
  struct Case {
    const char* text;
    bool valid;
    WindowRect rect;
  } cases[] = {
      {"10,20,510,270", true, {10, 20, 510, 270}},
      {" 1 , 2 , 3 , 4 ", true, {1, 2, 3, 4}},
      {"0,0,0,0", true, {0, 0, 0, 0}},
      {"10,10,5,300", false, {}},
      {"10,10,300,5", false, {}},
      {"-1,0,100,100", false, {}},
      {"1,2,3", false, {}},
      {"1,2,3,4,5", false, {}},
      {"1,2,3,4x", false, {}},
      {"1,,3,4", false, {}},
      {"1,2,3,99999999999", false, {}},
      {"", false, {}},
  };
  for (const Case& c : cases) {
    WindowRect rect = {-9, -9, -9, -9};
    EXPECT_EQ(ParseWinpos(c.text, &rect), c.valid) << c.text;
    if (c.valid) {
      EXPECT_EQ(memcmp(&rect, &c.rect, sizeof rect), 0) << c.text;
    }
  }
}

TEST(SettingText, AccessPositionsGrantTheirBitOnlyWithTheirOwnLetter) {
  struct Case {
    const char* text;
    uint32_t bits;
  } cases[] = {
      {"rwxrwxrwx", 0x1FF}, {"r-x------", 0x140}, {"---------", 0},
      {"xwrxwrxwr", 0x092},  // only the middle letters stand where they belong
      {"RWXRWXRWX", 0},     {"rw", 0x180},        {"", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(AccessFromText(c.text), c.bits) << c.text;
  char text[kAccessTextSize];
  AccessToText(0x1E8, text);
  EXPECT_STREQ(text, "rwxr-x---");
  for (uint32_t bits = 0; bits < 0x200; bits++) {
    AccessToText(bits, text);
    ASSERT_EQ(AccessFromText(text), bits);
  }
}

TEST(SettingText, DisplayModeAndSwitchesIgnoreCase) {
  EXPECT_EQ(DisplayModeFromText("exp"), DISPLAY_EXPORTS);
  EXPECT_EQ(DisplayModeFromText("EXP"), DISPLAY_EXPORTS);
  EXPECT_EQ(DisplayModeFromText("Pm"), DISPLAY_PORTMAP);
  EXPECT_EQ(DisplayModeFromText("exports"), DISPLAY_PORTMAP);
  EXPECT_STREQ(DisplayModeText(DISPLAY_EXPORTS), "EXP");
  EXPECT_STREQ(DisplayModeText(DISPLAY_PORTMAP), "PM");
  EXPECT_TRUE(IsOnText("oN"));
  EXPECT_FALSE(IsOnText("yes"));
  EXPECT_FALSE(IsOnText("on1"));
}

TEST(SettingText, SecondaryGidsStopAtTheFirstItemThatIsNoNumberAndAtEight) {
  struct Case {
    const char* text;
    std::vector<uint32_t> gids;
  } cases[] = {
      {" 100 200", {100, 200}},
      {"1 2 x 3", {1, 2}},
      {"1 2x 3", {1}},
      {"1 2 3 4 5 6 7 8 9 10", {1, 2, 3, 4, 5, 6, 7, 8}},
      {"", {}},
      {"-5 6", {}},
  };
  for (const Case& c : cases) {
    uint32_t gids[kSecondaryGids] = {};
    uint32_t count = ParseSecondaryGids(c.text, gids);
    EXPECT_EQ(std::vector<uint32_t>(gids, gids + count), c.gids) << c.text;
  }
  uint32_t gids[] = {500, 4294967295u};
  char text[64];
  FormatSecondaryGids(gids, 2, text, sizeof text);
  EXPECT_STREQ(text, " 500 4294967295");
}

}  // namespace
