#include "server/ScoreKeeper.h"

#include "scores/TextCoder.h"
#include "server/Pages.h"
#include "server/Query.h"
#include "server/SubmissionRecord.h"

namespace {

constexpr std::string_view ProgramName = "Zarvok";
// A coded record of the longest good submission is far shorter; anything longer is not the game.
constexpr size_t MaxCodedLength = 1024;

TReply Refuse(int status, std::string_view reason) {
  TReply reply;
  reply.Status = status;
  reply.Body = "ERROR|" + std::string(reason);
  return reply;
}

}  // namespace

TScoreKeeper::TScoreKeeper(TScoreStore& store, const TServerClock& clock, char key, int32_t rateLimitPerMinute)
    : FStore(store), FClock(clock), FKey(key), FLimiter(rateLimitPerMinute) {}

TReply TScoreKeeper::HandleScript(std::string_view target, const std::string& clientAddress) {
  const TQuery query = TQuery::FromTarget(target);
  const std::string* program = query.Find("prg");
  if (program == nullptr || *program != ProgramName) return Refuse(400, "unknown program");
  const int actions = int(query.Has("version")) + int(query.Has("hs")) + int(query.Has("show"));
  if (actions != 1) return Refuse(400, "ask for one of version, hs or show");
  if (query.Has("version")) return Version();
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

TReply TScoreKeeper::Version() {
  // OK|server version|oldest client|reserved|P| - the game takes P from the fifth field.
  TReply reply;
  reply.Body = "OK|" + std::string(ServerVersion) + "|" + std::string(OldestClient) + "|0|" +
               FTokens.Issue(FClock.Steady()) + "|";
  return reply;
}

TReply TScoreKeeper::Submit(const std::string* coded, const std::string& clientAddress) {
  if (!FLimiter.Allow(clientAddress, FClock.Steady())) return Refuse(429, "too many submissions, wait a minute");
  if (coded == nullptr || coded->empty()) return Refuse(400, "no record");
  if (coded->size() > MaxCodedLength) return Refuse(400, "record too long");
  const TSubmissionCheck check = ParseSubmissionRecord(DecodeText(*coded), FKey);
  if (!check.Ok()) return Refuse(400, check.Error);
  // The token goes last: a record refused for its content leaves the player's token usable.
  if (!FTokens.Redeem(check.Submission.P, FClock.Steady())) return Refuse(400, "unknown, used or expired token");
  FStore.Add(check.Submission, FClock.UnixSeconds());
  TReply reply;
  reply.Body = "OK";
  return reply;
}

TReply TScoreKeeper::Table() {
  TReply reply;
  reply.ContentType = "text/html; charset=utf-8";
  reply.Body = RenderTablePage(FStore.Top(TableSize));
  return reply;
}
