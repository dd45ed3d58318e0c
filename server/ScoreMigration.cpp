#include "server/ScoreMigration.h"

#include <optional>
#include <string>

int64_t CopyScores(const TScoreStore& source, TScoreStore& target) {
  const int64_t already = target.Count();
  if (already != 0) {
    throw EScoreStoreError(target.Where() + " already holds " + std::to_string(already) + " scores; nothing copied");
  }
  const std::vector<TScoreRow> rows = source.AllScores();
  target.Import(rows);
  // The replays follow their scores by token, one at a time, so a large table never sits in memory
  // with all its replays.
  for (const TScoreRow& row : rows) {
    if (row.Token.empty()) continue;
    if (const std::optional<std::string> replay = source.Replay(row.Id)) {
      const std::optional<TReplayTarget> joined = target.AddReplay(row.Token, *replay);
      if (!joined) {
        throw EScoreStoreError("the replay of score " + std::to_string(row.Id) + " found no score to join");
      }
      // A verified score's replay has been checked; the others are checked again where they go.
      if (row.Verified) target.SetVerified(joined->ScoreId, true);
    }
  }
  return static_cast<int64_t>(rows.size());
}
