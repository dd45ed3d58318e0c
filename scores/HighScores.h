#pragma once

#include <array>
#include <cstdint>

#include "app/MainForm.h"

using THighScoreTable = std::array<TLocal_HighScores, 10>;

// The table a new player sees and the Clear button brings back.
extern const THighScoreTable DefaultHighScores;

// The rank (1..10) a score takes: 1 plus the number of ranks 1..9 holding a greater score. The
// record there is replaced, not pushed down; an equal score of ranks 1..9 is the one replaced.
int32_t HighScoreRank(const THighScoreTable& table, int32_t score);

// Whether a finished game enters the table: it must beat the tenth score, not just equal it.
inline bool EntersHighScores(const THighScoreTable& table, int32_t score) { return score > table[9].Score; }
