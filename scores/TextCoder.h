#pragma once

#include <string>

// Packs any text into the 32 characters "QWERTYUPASDFGHJKLZXCVBNM23456789", 5 bits each. Config.cfg
// and the score submission use it, and the score server decodes with it, so the bit layout is fixed:
// bits flow most significant first and the padding zeros go in front.

// Every byte becomes 8 bits; zero bits are put in front until the count divides by 5.
std::string EncodeText(const std::string& text);

// Characters outside the alphabet are skipped; zero bits are put in front until the count divides
// by 8. A text of 5n characters round-trips exactly; shorter ones come back with leading zero bytes.
std::string DecodeText(const std::string& text);
