#include "server/ScoreMigration.h"

int64_t CopyScores(const TScoreStore& source, TScoreStore& target) {
  const int64_t already = target.Count();
  if (already != 0) {
    throw EScoreStoreError(target.Where() + " already holds " + std::to_string(already) + " scores; nothing copied");
  }
  const std::vector<TScoreRow> rows = source.AllScores();
  target.Import(rows);
  return static_cast<int64_t>(rows.size());
}
