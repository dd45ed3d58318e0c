#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "server/ScoreStore.h"

// The server's HTML: the game's web site, the online table and the error page, all sharing one
// style sheet in the game's colours.

// The address of the online table, as the game's View button opens it.
inline constexpr std::string_view TablePath = "/cgi/version.pl?prg=Zarvok&show&type=0";
inline constexpr std::string_view StyleSheetPath = "/site.css";

// screenshots: file names under /static/screenshots/, shown in this order; none gives a placeholder.
// playInBrowser: the browser build is served at /play/, and the page links to it.
std::string RenderSitePage(const std::vector<std::string>& screenshots, bool playInBrowser = false);
// all: the rows are every score, not only the verified ones; each verified row links its replay.
std::string RenderTablePage(const std::vector<TScoreRow>& rows, bool all = false);
// Where a score's replay file is served.
std::string ReplayAddress(int64_t scoreId);
std::string RenderErrorPage(int status, std::string_view message);
const std::string& SiteStyleSheet();

std::string HtmlEscape(std::string_view text);
// "2026-12-09" in UTC.
std::string FormatDate(int64_t unixSeconds);
