#pragma once

#include <string>

#include "assetgen/sounds/Synth.h"

// The announcer: the speech synthesiser says the text, and the voice is pitched down a little,
// compressed for punch and given a touch of room, whose tail lasts roomSeconds. wordsPerMinute
// sets the speed of speaking. Mono at the given rate, not yet levelled.
synth::TSignal SpeakAnnouncer(const std::string& text, double rate, int wordsPerMinute = 135, double roomSeconds = 0.35);
