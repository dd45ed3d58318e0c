#pragma once

#include <cstdint>

#include "server/ScoreStore.h"

// Copies every score of one store into another, dates and order of arrival kept, in one
// transaction. A target that already holds scores is left alone (EScoreStoreError), so running it
// twice does not double the table. Returns the number copied.
int64_t CopyScores(const TScoreStore& source, TScoreStore& target);
