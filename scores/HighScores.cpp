#include "scores/HighScores.h"

#include "ui/MenuSprites.h"

const THighScoreTable DefaultHighScores = {{
    {"Anonymous", 3000},
    {"Anonymous", 2500},
    {"Anonymous", 2000},
    {"Anonymous", 1500},
    {"Anonymous", 1000},
    {"Anonymous", 500},
    {"Anonymous", 400},
    {"Anonymous", 300},
    {"Anonymous", 200},
    {"Anonymous", 100},
}};

int32_t HighScoreRank(const THighScoreTable& table, int32_t score) {
  int32_t rank = 10;
  for (int32_t k = 9; k >= 1; --k)
    if (table[k - 1].Score <= score) --rank;
  return rank;
}

void TMainForm::ResetHighScores() {
  HighScores = DefaultHighScores;
  SwitchScreen(scHighScores);
}

void TMainForm::GameClearHighScoreClick() {
  GameClearHighScore.Checked = !GameClearHighScore.Checked;
  if (GameClearHighScore.Checked) {
    Spawn<TClearHighScore>();
  } else {
    MarkDeadAll<TMenu>();
    MarkDeadAll<TMenuGame>();
  }
}

void TMainForm::InsertHighScore(const std::string& name, int32_t score) {
  // The Enter key checks these first; a stray call must not push a worse score into the table.
  if (name.empty() || !EntersHighScores(HighScores, score)) return;
  TLocal_HighScores& record = HighScores[HighScoreRank(HighScores, score) - 1];
  record.Name = name;
  record.Score = score;
}
