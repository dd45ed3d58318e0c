#include "server/ScoreKeeper.h"

#include "scores/TextCoder.h"
#include "server/Pages.h"
#include "server/Query.h"
#include "server/SubmissionRecord.h"

namespace {

constexpr std::string_view ProgramName = "Zarvok";
// A coded record of the longest good submission is far shorter; anything longer is not the game.
constexpr size_t MaxCodedLength = 1024;
constexpr int64_t ForgetEverySeconds = 60;

TReply Refuse(int status, std::string_view reason) {
  TReply reply;
  reply.Status = status;
  reply.Body = "ERROR|" + std::string(reason);
  return reply;
}

// The token field of a decoded record, read before anything else is checked: "" when there is none.
std::string TokenField(std::string_view record) {
  const size_t start = record.find("|p=");
  if (start == std::string_view::npos) return {};
  const std::string_view rest = record.substr(start + 3);
  return std::string(rest.substr(0, rest.find('|')));
}

}  // namespace

TScoreKeeper::TScoreKeeper(TScoreStore& store, const TServerClock& clock, char key, int32_t rateLimitPerMinute,
                           TLogSink log)
    : FStore(store), FClock(clock), FKey(key), FRateLimit(rateLimitPerMinute), FLog(std::move(log)) {}

TReply TScoreKeeper::HandleScript(std::string_view target, const std::string& clientAddress) {
  const TQuery query = TQuery::FromTarget(target);
  const std::string* program = query.Find("prg");
  if (program == nullptr || *program != ProgramName) return Refuse(400, "unknown program");
  const int actions = int(query.Has("version")) + int(query.Has("hs")) + int(query.Has("show"));
  if (actions != 1) return Refuse(400, "ask for one of version, hs or show");
  if (query.Has("version")) return Version(clientAddress);
  if (query.Has("hs")) return Submit(query.Find("inf"), clientAddress);
  const std::string* type = query.Find("type");
  if (type != nullptr && *type != "0") {
    TReply reply;
    reply.Status = 404;
    reply.ContentType = "text/html; charset=utf-8";
    reply.Body = RenderErrorPage(404, "There is no such table.");
    return reply;
  }
  return Table();
}

TReply TScoreKeeper::Version(const std::string& clientAddress) {
  const int64_t now = FClock.UnixSeconds();
  try {
    ForgetNowAndThen(now);
    // Each query puts a token in the store, so a flood from one address is stopped here.
    if (!FStore.CountAttempt("version", clientAddress, now, FRateLimit * VersionQueriesPerSubmission)) {
      return Refuse(429, "too many requests, wait a minute");
    }
    const std::string token = FTokens.Make();
    FStore.AddToken(token, now + std::chrono::seconds(TTokenMaker::Lifetime).count());
    // OK|server version|oldest client|reserved|P| - the game takes P from the fifth field.
    TReply reply;
    reply.Body =
        "OK|" + std::string(ServerVersion) + "|" + std::string(OldestClient) + "|0|" + token + "|";
    return reply;
  } catch (const EScoreStoreError& error) {
    return Unavailable(error);
  }
}

TReply TScoreKeeper::Submit(const std::string* coded, const std::string& clientAddress) {
  const int64_t now = FClock.UnixSeconds();
  try {
    if (!FStore.CountAttempt("submit", clientAddress, now, FRateLimit)) {
      return Refuse(429, "too many submissions, wait a minute");
    }
    if (coded == nullptr || coded->empty()) return Refused(clientAddress, "no record");
    if (coded->size() > MaxCodedLength) return Refused(clientAddress, "record too long");
    const std::string record = DecodeText(*coded);
    // The token first: a made-up token is refused the same way and after the same work whatever
    // the rest says, so the key letter cannot be found by trying.
    if (!FStore.TokenValid(TokenField(record), now)) {
      return Refused(clientAddress, "unknown, used or expired token");
    }
    const TSubmissionCheck check = ParseSubmissionRecord(record, FKey);
    // A record refused for its content leaves the player's token usable.
    if (!check.Ok()) return Refused(clientAddress, check.Error);
    if (!FStore.AddWithToken(check.Submission.P, check.Submission, now)) {
      return Refused(clientAddress, "token used or expired meanwhile");
    }
  } catch (const EScoreStoreError& error) {
    return Unavailable(error);
  }
  TReply reply;
  reply.Body = "OK";
  return reply;
}

TReply TScoreKeeper::Table() {
  TReply reply;
  reply.ContentType = "text/html; charset=utf-8";
  try {
    reply.Body = RenderTablePage(FStore.Top(TableSize));
  } catch (const EScoreStoreError& error) {
    if (FLog) FLog(std::string("score database: ") + error.what());
    reply.Status = 503;
    reply.Body = RenderErrorPage(503, "The table cannot be read just now. Try again in a minute.");
  }
  return reply;
}

TReply TScoreKeeper::Refused(const std::string& clientAddress, const std::string& reason) const {
  if (FLog) FLog("refused a submission from " + clientAddress + ": " + reason);
  TReply reply;
  reply.Status = 400;
  reply.Body = std::string(RefusedReply);
  return reply;
}

TReply TScoreKeeper::Unavailable(const EScoreStoreError& error) const {
  if (FLog) FLog(std::string("score database: ") + error.what());
  return Refuse(503, "the score table is not available, try again later");
}

void TScoreKeeper::ForgetNowAndThen(int64_t now) {
  int64_t last = FLastForget.load();
  if (now - last < ForgetEverySeconds) return;
  if (!FLastForget.compare_exchange_strong(last, now)) return;  // another thread does it
  FStore.Forget(now);
}
