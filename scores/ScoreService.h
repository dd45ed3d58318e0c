#pragma once

#include <cstdint>
#include <string>

// The exchange with the score server: addresses, the version reply and the submission record.
// TMainForm::SubmitScore runs the exchange; the menus open the two web pages with GoWeb.

inline constexpr const char* VersionQueryPath = "/cgi/version.pl?version&prg=Zarvok";
inline constexpr const char* SubmissionPath = "/cgi/version.pl?hs&prg=Zarvok&inf=";
inline constexpr const char* OnlineHighScoresPath = "/cgi/version.pl?prg=Zarvok&show&type=0";
inline constexpr const char* WebSitePath = "/";
// Where the replay of a submitted game goes, with the token of its submission after "p=".
inline constexpr const char* ReplaySubmissionPath = "/cgi/replay?prg=Zarvok&p=";

// The score server's base address (a build setting) followed by path.
std::string ScoreServerAddress(const std::string& path);
// The page the View button of the high-score screen opens in the browser.
std::string OnlineHighScoresAddress();
// The web site the main menu's Visit Web Site button opens in the browser.
std::string WebSiteAddress();

// True when the version reply lets the submission go ahead: it starts with "OK" exactly.
bool VersionReplyAccepted(const std::string& reply);

// The server value P of a version reply: the fifth of the "|"-separated fields. Missing
// separators leave it empty, as the server's older replies expect.
std::string VersionReplyValue(const std::string& reply);

// One submission as sent (before encoding): the fields in the server's order, then "0" until
// the length is a multiple of 5 so that the coder packs whole groups.
std::string SubmissionRecord(const std::string& name, int32_t score, char key, const std::string& p,
                             const std::string& additional);
