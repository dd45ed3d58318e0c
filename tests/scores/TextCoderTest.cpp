#include "scores/TextCoder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace std::string_literals;

namespace {

// The coder written the long way, as bit strings, so the fast version has something to disagree with.
std::string EncodeByBitString(const std::string& text) {
  static const std::string alphabet = "QWERTYUPASDFGHJKLZXCVBNM23456789";
  std::string bits;
  for (const char c : text) {
    for (int b = 7; b >= 0; --b) bits += ((static_cast<unsigned char>(c) >> b) & 1) ? '1' : '0';
  }
  while (bits.size() % 5 != 0) bits.insert(bits.begin(), '0');
  std::string out;
  for (size_t i = 0; i < bits.size(); i += 5) out += alphabet[std::stoi(bits.substr(i, 5), nullptr, 2)];
  return out;
}

struct TCoderCase {
  std::string Plain;  // what DecodeText gives back
  std::string Coded;
};

class TextCoderKnownValues : public ::testing::TestWithParam<TCoderCase> {};

TEST_P(TextCoderKnownValues, DecodesToTheExpectedBytes) {
  EXPECT_EQ(DecodeText(GetParam().Coded), GetParam().Plain);
}

// Worked out by hand from the bit layout; Config.cfg files and the score server depend on it.
INSTANTIATE_TEST_SUITE_P(
    ByHand, TextCoderKnownValues,
    ::testing::Values(
        // 4 bytes = 32 bits: three zero bits in front, so the decoding starts with a zero byte.
        TCoderCase{"\0true"s, "W4PT7FY"},
        // 3 bytes = 24 bits: one zero bit in front, 5 characters, back with a leading zero byte.
        TCoderCase{"\0abc"s, "UE2CR"},
        // 5 bytes = 40 bits: nothing padded in either direction.
        TCoderCase{"00000", "UQ2RQGWL"},
        // One character is 5 bits: three zero bits in front make the byte 1.
        TCoderCase{"\x01", "W"},
        TCoderCase{"", ""}));

TEST(TextCoder, EncodesTheKnownValues) {
  EXPECT_EQ(EncodeText("true"), "W4PT7FY");
  EXPECT_EQ(EncodeText("abc"), "UE2CR");
  EXPECT_EQ(EncodeText("00000"), "UQ2RQGWL");
  EXPECT_EQ(EncodeText(""), "");
}

TEST(TextCoder, SkipsCharactersOutsideTheAlphabet) {
  // Lower case, 0, 1, I, O, spaces, punctuation and line ends are not code characters.
  EXPECT_EQ(DecodeText("W4P-T7 FY\r\n"), "\0true"s);
  EXPECT_EQ(DecodeText("01IOio !\t"), "");
  EXPECT_EQ(DecodeText("ue1cr"), "");
  EXPECT_EQ(DecodeText("\xFF\x80U\xC3\xA9" "E2CR"), "\0abc"s);
}

TEST(TextCoder, TextsOfFiveCharactersRoundTripExactly) {
  const std::string submission = "type=0|name=ANNA|score=1234|key=Z|p=ABCDEFGH|add=|z=000";
  ASSERT_EQ(submission.size() % 5, 0u);
  EXPECT_EQ(EncodeText(submission).size(), submission.size() / 5 * 8);
  EXPECT_EQ(DecodeText(EncodeText(submission)), submission);
  const std::string settingsLine = "1%%%%";
  EXPECT_EQ(DecodeText(EncodeText(settingsLine)), settingsLine);
}

TEST(TextCoder, AgreesWithTheBitStringLayoutOnRandomBytes) {
  std::mt19937 generator(20261209);
  std::uniform_int_distribution<int> length(0, 64);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 2000; ++round) {
    std::string text(static_cast<size_t>(length(generator)), '\0');
    for (char& c : text) c = static_cast<char>(byte(generator));
    const std::string coded = EncodeText(text);
    ASSERT_EQ(coded, EncodeByBitString(text)) << "length " << text.size();
    // Decoding gives back the text after as many zero bytes as the padding bits fill.
    const std::string decoded = DecodeText(coded);
    ASSERT_GE(decoded.size(), text.size());
    const size_t extra = decoded.size() - text.size();
    EXPECT_EQ(decoded.substr(extra), text);
    EXPECT_EQ(decoded.substr(0, extra), std::string(extra, '\0'));
    if (text.size() % 5 == 0) {
      EXPECT_EQ(extra, 0u);
    }
  }
}

}  // namespace
