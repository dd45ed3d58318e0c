#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "audio/SoundDevice.h"
#include "audio/Wave.h"
#include "audio/WaveArchive.h"
#include "audio/WaveList.h"

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Tag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

struct TChunk {
  std::string Tag;
  std::vector<uint8_t> Body;
};

std::vector<uint8_t> Fmt(uint16_t format, uint16_t channels, uint32_t rate, uint16_t bits) {
  std::vector<uint8_t> b;
  Put16(b, format);
  Put16(b, channels);
  Put32(b, rate);
  Put32(b, rate * channels * (bits / 8));
  Put16(b, static_cast<uint16_t>(channels * (bits / 8)));
  Put16(b, bits);
  return b;
}

// A RIFF file from chunks, each padded to an even length as the format wants.
std::vector<uint8_t> Riff(const std::vector<TChunk>& chunks, const char* form = "WAVE") {
  std::vector<uint8_t> body;
  Tag(body, form);
  for (const TChunk& c : chunks) {
    Tag(body, c.Tag.c_str());
    Put32(body, static_cast<uint32_t>(c.Body.size()));
    body.insert(body.end(), c.Body.begin(), c.Body.end());
    if (c.Body.size() % 2) body.push_back(0);
  }
  std::vector<uint8_t> out;
  Tag(out, "RIFF");
  Put32(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

}  // namespace

TEST(WaveFile, ReadsEverySupportedPcmFormat) {
  struct TCase {
    const char* Name;
    uint16_t Channels;
    uint32_t Rate;
    uint16_t Bits;
    std::vector<uint8_t> Data;
    std::vector<float> Expected;
  };
  const std::vector<TCase> cases = {
      {"8-bit mono", 1, 11025, 8, {128, 255, 0}, {0.0F, 127.0F / 128.0F, -1.0F}},
      {"8-bit stereo", 2, 8000, 8, {192, 64}, {0.5F, -0.5F}},
      {"16-bit mono", 1, 22050, 16, {0x00, 0x40, 0x00, 0xC0}, {0.5F, -0.5F}},
      {"16-bit stereo", 2, 96000, 16, {0xFF, 0x7F, 0x00, 0x80}, {32767.0F / 32768.0F, -1.0F}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TWave wave;
    wave.LoadFromRiff(Riff({{"fmt ", Fmt(1, c.Channels, c.Rate, c.Bits)}, {"data", c.Data}}));
    EXPECT_EQ(wave.Channels, c.Channels);
    EXPECT_EQ(wave.SampleRate, static_cast<int32_t>(c.Rate));
    EXPECT_EQ(wave.BitsPerSample, c.Bits);
    const std::vector<float> samples = wave.ToFloat();
    ASSERT_EQ(samples.size(), c.Expected.size());
    for (std::size_t i = 0; i < samples.size(); ++i) EXPECT_FLOAT_EQ(samples[i], c.Expected[i]);
  }
}

TEST(WaveFile, SkipsOtherChunksIncludingOddOnesAndTheirPadding) {
  TWave wave;
  wave.LoadFromRiff(Riff({{"LIST", {1, 2, 3}},
                          {"fmt ", Fmt(1, 1, 44100, 16)},
                          {"fact", {9}},
                          {"data", {0x10, 0x00, 0x20, 0x00}},
                          {"cue ", {}}}));
  EXPECT_EQ(wave.FrameCount(), 2);
  EXPECT_EQ(wave.Data, (std::vector<uint8_t>{0x10, 0x00, 0x20, 0x00}));
}

TEST(WaveFile, RejectsMalformedWavesWithTheirMessages) {
  const std::vector<uint8_t> good = Riff({{"fmt ", Fmt(1, 1, 22050, 16)}, {"data", {0, 0}}});
  std::vector<uint8_t> truncatedChunk = good;
  truncatedChunk.resize(truncatedChunk.size() - 1);
  struct TCase {
    const char* Name;
    std::vector<uint8_t> Bytes;
    const char* Message;
  };
  const std::vector<TCase> cases = {
      {"empty", {}, "Wave is invalid"},
      {"not RIFF", Riff({{"fmt ", Fmt(1, 1, 22050, 16)}}, "AVI "), "Wave is invalid"},
      {"no data chunk", Riff({{"fmt ", Fmt(1, 1, 22050, 16)}}), "Wave is invalid"},
      {"data chunk longer than the file", truncatedChunk, "Wave is invalid"},
      {"no fmt chunk", Riff({{"data", {0, 0}}}), "Format is invalid"},
      {"short fmt chunk", Riff({{"fmt ", {1, 0, 1, 0}}, {"data", {0, 0}}}), "Format is invalid"},
      {"float samples", Riff({{"fmt ", Fmt(3, 1, 22050, 32)}, {"data", {0, 0, 0, 0}}}), "Format is invalid"},
      {"24 bits", Riff({{"fmt ", Fmt(1, 1, 22050, 24)}, {"data", {0, 0, 0}}}), "Format is invalid"},
      {"three channels", Riff({{"fmt ", Fmt(1, 3, 22050, 16)}, {"data", {0, 0}}}), "Format is invalid"},
      {"no rate", Riff({{"fmt ", Fmt(1, 1, 0, 16)}, {"data", {0, 0}}}), "Format is invalid"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TWave wave;
    try {
      wave.LoadFromRiff(c.Bytes);
      ADD_FAILURE() << "no error";
    } catch (const EWaveError& e) {
      EXPECT_STREQ(e.what(), c.Message);
    }
  }
}

TEST(WaveFile, WriterAndReaderAgree) {
  TWave wave = TWave::FromFloat({0.25F, -0.25F, 1.5F, -1.5F, 0.0F}, 1, 32000);
  TWave back;
  back.LoadFromRiff(wave.SaveToRiff());
  EXPECT_EQ(back.Channels, 1);
  EXPECT_EQ(back.SampleRate, 32000);
  EXPECT_EQ(back.Data, wave.Data);
  // Out-of-range floats are clamped, not wrapped.
  EXPECT_NEAR(back.ToFloat()[2], 1.0F, 1e-4);
  EXPECT_NEAR(back.ToFloat()[3], -1.0F, 1e-4);
}

namespace {

TWaveSource Source(const std::string& name, bool looped = false, int32_t max = 0) {
  return {name, looped, max, TWave::FromFloat({0.5F, 0.25F}, 1, 22050)};
}

void ExpectStreamError(const std::vector<uint8_t>& bytes, const std::string& message) {
  TWaveCollection collection;
  try {
    ReadWaveArchive(bytes, collection);
    ADD_FAILURE() << "no error, expected " << message;
  } catch (const EWaveStreamError& e) {
    EXPECT_EQ(e.what(), message);
  }
}

std::size_t Find(const std::vector<uint8_t>& bytes, const std::string& text) {
  const auto it = std::search(bytes.begin(), bytes.end(), text.begin(), text.end());
  return static_cast<std::size_t>(it - bytes.begin());
}

}  // namespace

TEST(WaveArchive, RoundTripsItemsInOrderWithTheirProperties) {
  TWaveSource stereo{"engine", true, 0, TWave::FromFloat({0.1F, -0.1F, 0.2F, -0.2F}, 2, 11025)};
  const std::vector<uint8_t> bytes = WriteWaveArchive({Source("1", false, 4), stereo, Source("Level", false, 300)});
  TWaveCollection collection;
  ReadWaveArchive(bytes, collection);
  ASSERT_EQ(collection.Count(), 3);
  EXPECT_EQ(collection.Items(0).Name(), "1");
  EXPECT_EQ(collection.Items(0).MaxPlayingCount, 4);
  EXPECT_FALSE(collection.Items(0).Looped);
  EXPECT_EQ(collection.Items(1).Name(), "engine");
  EXPECT_TRUE(collection.Items(1).Looped);
  EXPECT_EQ(collection.Items(1).Wave.Channels, 2);
  EXPECT_EQ(collection.Items(1).Wave.SampleRate, 11025);
  EXPECT_EQ(collection.Items(1).Wave.Data, stereo.Wave.Data);
  EXPECT_EQ(collection.Items(2).MaxPlayingCount, 300);
}

TEST(WaveArchive, FindsNamesWithoutRegardToCaseAndTheLaterOfTwo) {
  TWaveCollection collection;
  ReadWaveArchive(WriteWaveArchive({Source("Fight"), Source("pause"), Source("fight", true)}), collection);
  EXPECT_EQ(collection.IndexOf("FIGHT"), 2);
  EXPECT_EQ(collection.IndexOf("Pause"), 1);
  EXPECT_EQ(collection.IndexOf("missing"), -1);
  try {
    collection.Find("missing");
    ADD_FAILURE() << "no error";
  } catch (const EWaveCollectionError& e) {
    EXPECT_STREQ(e.what(), "Wave 'missing' not found");
  }
  // Renaming the later one away uncovers the earlier one.
  collection.Items(2).SetName("other");
  EXPECT_EQ(collection.IndexOf("fight"), 0);
}

TEST(WaveArchive, BucketsFollowTheNameRule) {
  EXPECT_EQ(TWaveCollection::Bucket(""), 0);
  EXPECT_EQ(TWaveCollection::Bucket("1"), 16);
  // "ab": 2 * 16 + 'a' + 'a' (the second-to-last character is the first).
  EXPECT_EQ(TWaveCollection::Bucket("AB"), (32 + 97 + 97) % 256);
}

TEST(WaveArchive, ReportsMalformedStreams) {
  const std::vector<uint8_t> good = WriteWaveArchive({Source("a"), Source("b")});

  std::vector<uint8_t> badHeader = good;
  badHeader[0] = 0xFE;
  ExpectStreamError(badHeader, "Invalid stream format");

  std::vector<uint8_t> badSignature = good;
  badSignature[Find(good, "TPF0") + 3] = '1';
  ExpectStreamError(badSignature, "Invalid stream format");

  for (const std::size_t keep : {std::size_t{3}, Find(good, "TPF0") + 2, good.size() / 2, good.size() - 1}) {
    SCOPED_TRACE(keep);
    ExpectStreamError(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(keep)),
                      "Stream read error");
  }

  std::vector<uint8_t> unknown = good;
  std::memcpy(unknown.data() + Find(good, "Looped"), "Loopee", 6);
  ExpectStreamError(unknown, "Property Loopee does not exist");

  std::vector<uint8_t> badValue = good;
  badValue[Find(good, "Looped") + 6] = 6;  // a text where true or false belongs
  ExpectStreamError(badValue, "Invalid property value");
}

TEST(WaveArchive, ItemsReadBeforeAnErrorStay) {
  std::vector<uint8_t> bytes = WriteWaveArchive({Source("first"), Source("second")});
  const std::size_t second = Find(bytes, "second");
  bytes.resize(second + 20);
  TWaveCollection collection;
  EXPECT_THROW(ReadWaveArchive(bytes, collection), EWaveStreamError);
  ASSERT_GE(collection.Count(), 1);
  EXPECT_EQ(collection.Items(0).Name(), "first");
}

TEST(WaveArchive, AFileThatCannotBeOpenedNamesThePath) {
  TSoundDevice device(nullptr);
  TWaveList list(device);
  for (const std::string& path : {std::string("no/such/Music.dxw"), std::string(ZARVOK_SOURCE_DIR) + "/audio"}) {
    SCOPED_TRACE(path);
    try {
      list.LoadFromFile(path);
      ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"" + path + "\". ", 0), 0U) << e.what();
    }
  }
}
