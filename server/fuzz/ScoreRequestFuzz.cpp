// Feeds arbitrary bytes to the score server's request handling: as a raw request target, as a
// record to decode, and as a record that carries a genuine token, so the fuzzer reaches the store.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "scores/TextCoder.h"
#include "server/ScoreKeeper.h"
#include "server/SqliteScoreStore.h"
#include "server/SubmissionRecord.h"

namespace {

struct TFuzzWorld {
  TServerClock Clock;
  TSqliteScoreStore Store{":memory:"};
  TScoreKeeper Keeper{Store, Clock, 'Z', 0};
};

void Require(bool condition) {
  if (!condition) std::abort();
}

std::string TokenOf(const std::string& reply) {
  size_t from = 0;
  for (int i = 0; i < 4; ++i) from = reply.find('|', from) + 1;
  return reply.substr(from, reply.find('|', from) - from);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFuzzWorld world;
  if (size == 0) return 0;
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string target;
  switch (data[0] % 3) {
    case 0:
      target = input;
      break;
    case 1:
      target = "/cgi/version.pl?hs&prg=Zarvok&inf=" + EncodeText(input);
      break;
    default: {
      // "@" in the input stands for a fresh token.
      std::string record = input;
      const std::string token = TokenOf(world.Keeper.Version("127.0.0.1").Body);
      for (size_t at = record.find('@'); at != std::string::npos; at = record.find('@', at + token.size())) {
        record.replace(at, 1, token);
      }
      target = "/cgi/version.pl?hs&prg=Zarvok&inf=" + EncodeText(record);
      break;
    }
  }
  const int64_t before = world.Store.Count();
  const TReply reply = world.Keeper.HandleScript(target, "127.0.0.1");
  Require(reply.Status == 200 || reply.Status == 400 || reply.Status == 404 || reply.Status == 429);
  const int64_t after = world.Store.Count();
  // Only an answered "OK" may store, and then exactly one row.
  Require(after == before || (after == before + 1 && reply.Body == "OK"));

  // Whatever the coder is given, text of 5n bytes comes back exactly.
  if (input.size() % 5 == 0) Require(DecodeText(EncodeText(input)) == input);
  ParseSubmissionRecord(DecodeText(input), 'Z');

  if (after > 10000) {
    // Keep the table page in the loop now and then without letting the store grow for ever.
    world.Keeper.Table();
  }
  return 0;
}
