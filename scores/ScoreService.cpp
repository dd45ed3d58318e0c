#include "scores/ScoreService.h"

#include <exception>

#include "BuildConfig.h"
#include "app/MainForm.h"
#include "scores/HttpClient.h"
#include "scores/TextCoder.h"

std::string ScoreServerAddress(const std::string& path) { return ZarvokScoreServer + path; }

std::string OnlineHighScoresAddress() { return ScoreServerAddress(OnlineHighScoresPath); }

std::string WebSiteAddress() { return ScoreServerAddress(WebSitePath); }

bool VersionReplyAccepted(const std::string& reply) { return reply.compare(0, 2, "OK") == 0; }

std::string VersionReplyValue(const std::string& reply) {
  std::string rest = reply;
  std::string field;
  // Five cuts at the first "|"; without one the field is empty and the rest stays as it is.
  for (int pass = 0; pass < 5; ++pass) {
    const size_t bar = rest.find('|');
    if (bar == std::string::npos) {
      field.clear();
      continue;
    }
    field = rest.substr(0, bar);
    rest.erase(0, bar + 1);
  }
  return field;
}

std::string SubmissionRecord(const std::string& name, int32_t score, char key, const std::string& p,
                             const std::string& additional) {
  std::string record = "type=0";
  record += "|name=" + name;
  record += "|score=" + std::to_string(score);
  record += "|key=";
  record += key;
  record += "|p=" + p;
  record += "|add=" + additional;
  record += "|z=";
  while (record.size() % 5 != 0) record += '0';
  return record;
}

void TMainForm::SubmitScore() {
  // Both requests block the game; the client's time-out bounds the wait, and a failed request
  // counts as an empty reply.
  std::string reply;
  try {
    if (HttpClient1) reply = HttpClient1->Get(ScoreServerAddress(VersionQueryPath));
  } catch (const std::exception&) {
    reply.clear();
  }
  if (!VersionReplyAccepted(reply)) {
    ShowMessage("Can't connect to server!");
    return;
  }
  const std::string record =
      SubmissionRecord(Edit2.Text, Score, ZarvokScoreKey, VersionReplyValue(reply), Edit1.Text);
  try {
    HttpClient1->Get(ScoreServerAddress(SubmissionPath) + EncodeText(record));
  } catch (const std::exception&) {
    // The server's answer to a submission is not examined, and neither is a failure.
  }
  // The game itself, so the server can play it again and mark the score verified. A server
  // without the address, or any failure, leaves the score as it was: unverified.
  const std::string replay = LastGameReplay ? LastGameReplay() : std::string();
  if (replay.empty()) return;
  try {
    HttpClient1->Post(ScoreServerAddress(ReplaySubmissionPath) + VersionReplyValue(reply), replay,
                      "application/octet-stream");
  } catch (const std::exception&) {
  }
}
