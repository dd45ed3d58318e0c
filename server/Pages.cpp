#include "server/Pages.h"

#include <ctime>

namespace {

std::string PageHead(std::string_view title, std::string_view description) {
  std::string page;
  page += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  page += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  page += "<meta name=\"color-scheme\" content=\"dark\">\n";
  page += "<meta name=\"description\" content=\"" + HtmlEscape(description) + "\">\n";
  page += "<title>" + HtmlEscape(title) + "</title>\n";
  page += "<link rel=\"icon\" href=\"data:,\">\n";
  page += "<link rel=\"stylesheet\" href=\"" + std::string(StyleSheetPath) + "\">\n";
  page += "</head>\n<body>\n<a class=\"skip\" href=\"#main\">Skip to content</a>\n";
  page += "<header class=\"banner\">\n<p class=\"logo stencil\"><a href=\"/\">Zarvok</a></p>\n";
  page += "<nav aria-label=\"Site\"><ul>\n";
  page += "<li><a href=\"/#game\">The game</a></li>\n";
  page += "<li><a href=\"/#screenshots\">Screenshots</a></li>\n";
  page += "<li><a href=\"/#install\">Install and play</a></li>\n";
  page += "<li><a href=\"" + HtmlEscape(TablePath) + "\">Online table</a></li>\n";
  page += "</ul></nav>\n</header>\n";
  return page;
}

std::string PageFoot() {
  return "<footer>\n<p>Zarvok &middot; a shooting gallery for the desktop &middot; "
         "<a href=\"" + HtmlEscape(TablePath) + "\">Online top 100</a></p>\n</footer>\n</body>\n</html>\n";
}

}  // namespace

std::string HtmlEscape(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': result += "&amp;"; break;
      case '<': result += "&lt;"; break;
      case '>': result += "&gt;"; break;
      case '"': result += "&quot;"; break;
      case '\'': result += "&#39;"; break;
      default: result.push_back(c);
    }
  }
  return result;
}

std::string FormatDate(int64_t unixSeconds) {
  const std::time_t time = static_cast<std::time_t>(unixSeconds);
  std::tm parts{};
  if (gmtime_r(&time, &parts) == nullptr) return "-";
  char text[32];
  if (std::strftime(text, sizeof text, "%Y-%m-%d", &parts) == 0) return "-";
  return text;
}

std::string RenderSitePage(const std::vector<std::string>& screenshots, bool playInBrowser) {
  std::string page = PageHead("Zarvok - a desktop shooting gallery",
                              "Zarvok: aim, shoot and survive on four desert battlefields. How to install and play, "
                              "screenshots and the online score table.");
  page += R"(<main id="main">
<section class="hero" aria-labelledby="title">
<h1 id="title" class="stencil">Zarvok</h1>
<p class="lead">A shooting gallery for the desktop. Hold the line on four desert battlefields: aim with the mouse,
fire with the left button, and stay alive as long as the levels let you.</p>
<p>)";
  if (playInBrowser) page += "<a class=\"button\" href=\"/play/\">Play in your browser</a>\n";
  page += R"(<a class="button" href="#install">Install and play</a>
<a class="button" href=")" + HtmlEscape(TablePath) + R"(">Online top 100</a></p>
</section>

<section id="game" aria-labelledby="game-title">
<h2 id="game-title" class="stencil">The game</h2>
<p>You look at a fixed 800 by 600 battlefield, one of four scenes of barrels, wells, houses and palms. Terrorists
of four kinds walk in, take cover and fire back; every hit they land costs you health. Tanks and trucks drive
across and a helicopter sweeps from side to side.</p>
<ul class="facts">
<li><strong>Score</strong> for every kill; tougher enemies are worth more.</li>
<li><strong>Bonus balloons</strong> rise from fallen enemies: shoot them for a bomb that clears the field, health,
an extra life, money, an air strike on every vehicle or ten seconds of burst fire. Mind the skull: it costs
health.</li>
<li><strong>Levels</strong> run on a countdown. Each new one moves to another scene with more enemies, arriving
faster, of tougher kinds.</li>
<li><strong>The game ends</strong> when the last life is lost. A good score goes into the local top ten, and you can
send it here to the online table.</li>
</ul>
</section>

<section id="screenshots" aria-labelledby="shots-title">
<h2 id="shots-title" class="stencil">Screenshots</h2>
)";
  if (screenshots.empty()) {
    page += R"(<figure class="shot placeholder">
<img src="/static/screenshots/placeholder.svg" width="800" height="600"
 alt="Placeholder: an empty olive battlefield frame. Screenshots of the game will appear here.">
<figcaption>Screenshots are on their way from the front.</figcaption>
</figure>
)";
  } else {
    page += "<div class=\"gallery\">\n";
    for (const std::string& name : screenshots) {
      // "02-main-menu.png" reads as "Main menu": the number only orders the pictures.
      std::string caption = name.substr(0, name.rfind('.'));
      const size_t words = caption.find_first_not_of("0123456789");
      if (words != std::string::npos && words > 0 && (caption[words] == '-' || caption[words] == '_')) {
        caption.erase(0, words + 1);
      }
      for (char& c : caption) {
        if (c == '-' || c == '_') c = ' ';
      }
      if (!caption.empty() && caption[0] >= 'a' && caption[0] <= 'z') caption[0] = static_cast<char>(caption[0] - 32);
      const std::string address = "/static/screenshots/" + HtmlEscape(name);
      page += "<figure class=\"shot\">\n<a href=\"" + address + "\"><img src=\"" + address +
              "\" width=\"800\" height=\"600\" alt=\"Zarvok screenshot: " + HtmlEscape(caption) +
              "\"></a>\n<figcaption>" + HtmlEscape(caption) + "</figcaption>\n</figure>\n";
    }
    page += "</div>\n";
  }
  page += R"(</section>

<section id="install" aria-labelledby="install-title">
<h2 id="install-title" class="stencil">Install and play</h2>
<p>Zarvok builds from source on Debian. From the top folder of the source tree:</p>
<pre><code>./play.sh</code></pre>
<p>This installs the Debian packages the game needs (through <code>apt-get</code>, as root or with
<code>sudo</code>), builds it and starts it. To build by hand:</p>
<pre><code>./tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build
cd build/game &amp;&amp; ./zarvok</code></pre>
<h3>Controls</h3>
<dl class="controls">
<dt>Mouse</dt><dd>aim the sight</dd>
<dt>Left button</dt><dd>fire; with burst fire, hold it and sweep</dd>
<dt>P</dt><dd>pause and resume</dd>
<dt>Esc</dt><dd>back, or the exit question during a game</dd>
<dt>Alt+Enter</dt><dd>full screen or window</dd>
<dt>A to Z, Enter</dt><dd>type your name for the high-score table and confirm it</dd>
</dl>
<h3>Sending a score</h3>
<p>When your score enters the top ten, the game asks for your name. Leave &ldquo;Send to the online table&rdquo;
ticked and press Enter: the game sends the score to this server, and it appears in the
<a href=")" + HtmlEscape(TablePath) + R"(">online top 100</a>.</p>
</section>
</main>
)";
  page += PageFoot();
  return page;
}

std::string ReplayAddress(int64_t scoreId) { return "/replay/" + std::to_string(scoreId) + ".zrp"; }

std::string RenderTablePage(const std::vector<TScoreRow>& rows, bool all) {
  std::string page = PageHead("Zarvok - online top 100", "The best 100 Zarvok scores sent to this server.");
  page += "<main id=\"main\">\n<h1 class=\"stencil\">Online top 100</h1>\n";
  // A verified score is one whose recorded game the server played again and saw reach it.
  if (all) {
    page += "<p class=\"lead\">Every score sent, verified or not. <a href=\"" + std::string(TablePath) +
            "\">Only the verified ones</a></p>\n";
  } else {
    page += "<p class=\"lead\">Verified scores only: the server played each game again from its replay. "
            "<a href=\"" + std::string(TablePath) + "&amp;all\">Show every score</a></p>\n";
  }
  page += "<div class=\"table-wrap\" role=\"region\" aria-labelledby=\"table-caption\" tabindex=\"0\">\n";
  page += "<table class=\"scores\">\n<caption id=\"table-caption\">The best Zarvok scores, highest first</caption>\n";
  page += "<thead><tr><th scope=\"col\">Rank</th><th scope=\"col\">Name<span class=\"add-inline\"> and text</span></th><th scope=\"col\">Score</th>"
          "<th scope=\"col\" class=\"add\">Additional text</th><th scope=\"col\">Date</th></tr></thead>\n<tbody>\n";
  if (rows.empty()) {
    page += "<tr><td colspan=\"5\" class=\"empty\">No results yet. Be the first on the board.</td></tr>\n";
  }
  for (const TScoreRow& row : rows) {
    const std::string date = FormatDate(row.Submitted);
    page += row.Rank <= 3 ? "<tr class=\"podium\">" : "<tr>";
    page += "<td class=\"rank\">" + std::to_string(row.Rank) + "</td>";
    // On a phone the additional text moves under the name and its own column hides; only one of
    // the two copies is ever displayed, so readers meet it once.
    page += "<th scope=\"row\" class=\"name\">" + HtmlEscape(row.Name);
    if (!row.Additional.empty()) page += "<span class=\"add-inline\">" + HtmlEscape(row.Additional) + "</span>";
    page += "</th>";
    page += "<td class=\"score\">" + std::to_string(row.Score);
    if (row.Verified)
      page += "<a class=\"verified\" href=\"" + ReplayAddress(row.Id) + "\" title=\"verified: download its replay\">&#10003; replay</a>";
    else if (all)
      page += "<span class=\"unverified\">unverified</span>";
    page += "</td>";
    page += "<td class=\"add\">" + HtmlEscape(row.Additional) + "</td>";
    page += "<td class=\"date\"><time datetime=\"" + date + "\">" + date + "</time></td></tr>\n";
  }
  page += "</tbody>\n</table>\n</div>\n";
  page += "<p><a class=\"button\" href=\"/\">About the game</a></p>\n</main>\n";
  page += PageFoot();
  return page;
}

std::string RenderErrorPage(int status, std::string_view message) {
  std::string page = PageHead("Zarvok - " + std::to_string(status), "Zarvok score server");
  page += "<main id=\"main\">\n<h1 class=\"stencil\">" + std::to_string(status) + "</h1>\n<p class=\"lead\">" +
          HtmlEscape(message) + "</p>\n<p><a class=\"button\" href=\"/\">Back to base</a></p>\n</main>\n";
  page += PageFoot();
  return page;
}

const std::string& SiteStyleSheet() {
  static const std::string Sheet = R"(:root {
  --olive-dark: #1f2416;
  --olive: #2e3521;
  --olive-light: #4a5433;
  --sand: #e6d6a8;
  --khaki: #c2ad72;
  --rust: #d9822b;
  --ink: #141810;
}
* { box-sizing: border-box; }
html { background: var(--olive-dark); color: var(--sand); }
body {
  margin: 0;
  font-family: "DejaVu Sans", "Segoe UI", Roboto, Helvetica, Arial, sans-serif;
  font-size: 1.05rem;
  line-height: 1.55;
  background:
    radial-gradient(ellipse 40% 30% at 15% 10%, rgba(74, 84, 51, .45), transparent 70%),
    radial-gradient(ellipse 35% 25% at 85% 35%, rgba(90, 80, 45, .35), transparent 70%),
    radial-gradient(ellipse 45% 30% at 40% 90%, rgba(60, 70, 40, .4), transparent 70%),
    var(--olive-dark);
  min-height: 100vh;
}
a { color: var(--sand); text-decoration-thickness: .08em; text-underline-offset: .18em; }
a:hover { color: #fff3cf; }
:focus-visible { outline: 3px solid var(--rust); outline-offset: 3px; }
.skip { position: absolute; left: -999px; top: 0; background: var(--rust); color: var(--ink); padding: .5rem 1rem; }
.skip:focus { left: 0; z-index: 10; }
.stencil {
  font-family: "Bebas Neue", "Stencil", "Impact", "Haettenschweiler", "Arial Narrow", sans-serif;
  font-weight: 700;
  text-transform: uppercase;
  letter-spacing: .12em;
  line-height: 1.1;
  color: var(--sand);
}
@supports ((-webkit-background-clip: text) or (background-clip: text)) {
  /* A band of background across the letters, like the bridges of a paint stencil. */
  .stencil {
    background-image: linear-gradient(to bottom, var(--sand) 0 46%, transparent 46% 56%, var(--khaki) 56%);
    -webkit-background-clip: text;
    background-clip: text;
    color: transparent;
  }
}
@media (forced-colors: active) {
  .stencil { color: CanvasText; background: none; }
}
.banner {
  display: flex; flex-wrap: wrap; align-items: center; justify-content: space-between; gap: .5rem 1.5rem;
  padding: .75rem clamp(1rem, 4vw, 3rem);
  background: repeating-linear-gradient(135deg, var(--olive) 0 22px, #293019 22px 44px);
  border-bottom: 4px solid var(--khaki);
}
.logo { margin: 0; font-size: 2rem; }
.logo a { text-decoration: none; color: inherit; }
nav ul { list-style: none; margin: 0; padding: 0; display: flex; flex-wrap: wrap; gap: .25rem 1.25rem; }
nav a { font-weight: 700; text-transform: uppercase; letter-spacing: .08em; font-size: .9rem; text-decoration: none; }
nav a:hover, nav a:focus-visible { text-decoration: underline; }
main { max-width: 62rem; margin: 0 auto; padding: 1.5rem clamp(1rem, 4vw, 3rem) 3rem; }
h1 { font-size: clamp(3rem, 11vw, 6.5rem); margin: .5rem 0 .75rem; }
h2 { font-size: clamp(2rem, 6vw, 3rem); margin: 2.5rem 0 .75rem; border-bottom: 2px dashed var(--olive-light); }
h3 { color: var(--khaki); text-transform: uppercase; letter-spacing: .08em; font-size: 1.05rem; margin-top: 1.75rem; }
.lead { font-size: 1.2rem; max-width: 44rem; }
.button {
  display: inline-block; margin: .35rem .5rem .35rem 0; padding: .6rem 1.1rem;
  background: var(--khaki); color: var(--ink); font-weight: 700; text-transform: uppercase; letter-spacing: .08em;
  text-decoration: none; border: 2px solid var(--sand); box-shadow: 3px 3px 0 var(--ink);
}
.button:hover { background: var(--sand); color: var(--ink); }
.facts { padding-left: 1.2rem; }
.facts li { margin: .4rem 0; }
.facts strong { color: var(--khaki); }
pre {
  background: var(--ink); border-left: 4px solid var(--khaki); padding: .75rem 1rem; overflow-x: auto;
  font-size: .95rem;
}
code { font-family: "DejaVu Sans Mono", Consolas, monospace; color: #f1e6c4; }
.controls { display: grid; grid-template-columns: max-content 1fr; gap: .35rem 1.25rem; }
.controls dt { font-weight: 700; color: var(--khaki); }
.controls dd { margin: 0; }
.gallery { display: grid; grid-template-columns: repeat(auto-fit, minmax(16rem, 1fr)); gap: 1rem; }
.shot { margin: 0; background: var(--ink); border: 2px solid var(--olive-light); padding: .5rem; }
.shot img { display: block; width: 100%; height: auto; }
.shot figcaption { padding-top: .4rem; font-size: .9rem; color: var(--khaki); }
.placeholder { max-width: 32rem; }
.table-wrap { overflow-x: auto; border: 2px solid var(--olive-light); background: rgba(20, 24, 16, .75); }
table.scores { width: 100%; border-collapse: collapse; font-variant-numeric: tabular-nums; }
.scores caption { text-align: left; padding: .6rem .75rem; color: var(--khaki); font-style: italic; }
.scores th, .scores td { padding: .5rem .75rem; text-align: left; border-top: 1px solid var(--olive-light); }
.scores thead th {
  background: var(--olive); text-transform: uppercase; letter-spacing: .08em; font-size: .85rem; color: var(--khaki);
  border-top: none;
}
.scores tbody tr:nth-child(even) { background: rgba(74, 84, 51, .25); }
.scores .rank, .scores .score { text-align: right; }
.scores .verified, .scores .unverified { margin-left: 0.5em; font-size: 0.8em; }
.scores .verified { color: var(--sand); }
.scores .unverified { color: var(--khaki); font-style: italic; }
.scores thead th:nth-child(1), .scores thead th:nth-child(3) { text-align: right; }
.scores .name { font-weight: 700; letter-spacing: .05em; }
.scores .podium .rank, .scores .podium .name { color: var(--rust); }
.scores .empty { text-align: center; padding: 2rem; }
.scores .date { white-space: nowrap; }
.scores .add-inline { display: none; }
footer {
  border-top: 4px solid var(--khaki); padding: 1rem clamp(1rem, 4vw, 3rem); font-size: .9rem;
  background: var(--olive);
}
@media (max-width: 36rem) {
  body { font-size: 1rem; }
  main { padding-left: .6rem; padding-right: .6rem; }
  .scores th, .scores td { padding: .4rem .3rem; font-size: .8rem; }
  .scores thead th { font-size: .7rem; letter-spacing: .03em; }
  .scores .name { letter-spacing: 0; }
  .scores caption { font-size: .85rem; }
  .scores .add { display: none; }
  .scores .add-inline { display: block; font-weight: 400; color: var(--khaki); font-size: .75rem; }
  .scores thead .add-inline { display: inline; font-size: inherit; font-weight: inherit; color: inherit; }
  .logo { font-size: 1.6rem; }
}
)";
  return Sheet;
}
