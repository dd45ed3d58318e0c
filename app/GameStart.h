#pragma once

#include <functional>

#include "platform/replay/Replay.h"

class TMainForm;

// The form's state that decides a game besides its input, taken when a game starts and put
// back when its replay starts, at the same point of the start.
TReplayStart CaptureGameStart(TMainForm& form);
void RestoreGameStart(TMainForm& form, const TReplayStart& start);

class TReplayRecorder;

// Makes the recorder record every game of the form from its start to its end. onEnd, when
// given, runs after each game's replay is made.
void RecordGames(TMainForm& form, TReplayRecorder& recorder, std::function<void()> onEnd = {});
