#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// One score as the game sends it, after decoding:
// "type=0|name=NAME|score=N|key=K|p=P|add=TEXT|z=" and "0"s up to a length divisible by 5.
struct TSubmission {
  std::string Name;        // 1 to 10 capital letters
  int32_t Score = 0;       // 0 .. 2147483647
  char Key = 0;            // the letter agreed between game and server
  std::string P;           // the one-time token from the version reply
  std::string Additional;  // 0 to 10 capital letters
};

// Either the submission or why it was refused (Error empty when it is good).
struct TSubmissionCheck {
  TSubmission Submission;
  std::string Error;
  bool Ok() const { return Error.empty(); }
};

// Checks everything that can be checked without the server's state; the token is checked later.
TSubmissionCheck ParseSubmissionRecord(std::string_view record, char expectedKey);
