#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>

#include "app/MainForm.h"
#include "app/ReplaceFile.h"
#include "scores/TextCoder.h"

// "Config.cfg": 25 coded lines, each ended by CR LF. Lines 1 to 3 are the switches ("true" or
// "false" as they are), line 4 the extra text, line 5 the player's name, then name and score of
// the ten high-score records. Lines 4 to 25 are padded with "%" to a multiple of 5 characters so
// that the coder gives them back exactly.

namespace {

constexpr const char* SettingsPath = "Config.cfg";
// Written whole beside the settings file, then renamed over it, so a crash or a full disk never
// leaves a half-written file behind.
constexpr const char* SettingsTempName = "Config.cfg.tmp";

std::string PaddedLine(std::string text) {
  if (text.empty()) return {};
  while (text.size() % 5 != 0) text += '%';
  return EncodeText(text);
}

std::string WithoutTrailingPercent(std::string text) {
  while (!text.empty() && text.back() == '%') text.pop_back();
  return text;
}

// Letters and digits are all the letter pictures can draw; a line holding anything else was
// not written by the game, and showing it would fail on every frame of its screen.
bool DrawableText(const std::string& text) {
  for (const char c : text) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    const bool digit = c >= '0' && c <= '9';
    if (!letter && !digit) return false;
  }
  return true;
}

// A decimal number with an optional sign that fits 32 bits.
bool ParseScore(const std::string& text, int32_t& score) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (last - first >= 2 && first[0] == '+' && first[1] != '-') ++first;
  int32_t value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last || first == last) return false;
  score = value;
  return true;
}

// Hands out the file's lines in order, decoded; reading past the end gives empty lines.
class TSettingsReader {
 public:
  explicit TSettingsReader(std::istream& stream) : FStream(stream) {}

  std::string Next() {
    std::string line;
    if (!std::getline(FStream, line)) return {};
    // The CR of the line end is no letter of the coder's alphabet: the decoder drops it.
    return DecodeText(line);
  }

 private:
  std::istream& FStream;
};

// The whole file in content; false with the system's reason when it could not be read in full.
bool ReadWholeFile(const char* path, std::string& content, int& error) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return false;
  }
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      error = errno;
      close(fd);
      return false;
    }
    content.append(buffer, static_cast<size_t>(got));
  }
  close(fd);
  return true;
}

}  // namespace

void TMainForm::LoadSettings() {
  const std::filesystem::path settings = FPaths.UserFile(SettingsPath);
  std::string content;
  int error = 0;
  if (!ReadWholeFile(settings.c_str(), content, error)) {
    if (error == ENOENT) return;
    // The player's file may be whole behind a passing fault: the defaults play, and this run
    // leaves the file alone rather than replace it.
    SettingsLocked = true;
    ShowMessage("Cannot read " + settings.string() + ": " + std::strerror(error) +
                ". Settings will not be saved.");
    return;
  }
  std::istringstream file(content);
  TSettingsReader reader(file);

  // An empty or missing first line starts full screen too: only "false" keeps the window.
  if (reader.Next() != "false") GameFullScreenClick();
  if (reader.Next() == "false") GameMusic.Checked = false;
  if (reader.Next() == "false") GameSound.Checked = false;

  const std::string extraText = WithoutTrailingPercent(reader.Next());
  if (DrawableText(extraText)) {
    Edit1.Text = extraText;
    ExtraText = extraText;
  }
  const std::string playerName = WithoutTrailingPercent(reader.Next());
  if (DrawableText(playerName)) {
    Edit2.Text = playerName;
    PlayerName = playerName;
  }

  for (TLocal_HighScores& record : HighScores) {
    const std::string name = reader.Next();
    if (!name.empty()) {
      const std::string stripped = WithoutTrailingPercent(name);
      if (DrawableText(stripped)) record.Name = stripped;
    }
    const std::string score = reader.Next();
    // A line that is no decimal number keeps the score there is.
    if (!score.empty()) ParseScore(WithoutTrailingPercent(score), record.Score);
  }
}

void TMainForm::SaveSettings() {
  std::string content;
  const auto line = [&content](const std::string& text) { content += text + "\r\n"; };
  line(EncodeText(GameFullScreen.Checked ? "true" : "false"));
  line(EncodeText(GameMusic.Checked ? "true" : "false"));
  line(EncodeText(GameSound.Checked ? "true" : "false"));
  ExtraText = Edit1.Text;
  line(PaddedLine(ExtraText));
  PlayerName = Edit2.Text;
  line(PaddedLine(PlayerName));
  for (const TLocal_HighScores& record : HighScores) {
    line(PaddedLine(record.Name));
    line(PaddedLine(std::to_string(record.Score)));
  }

  if (SettingsLocked) return;
  // The per-user folder is made at the first save; when it cannot be, the save fails like any
  // other.
  const std::filesystem::path settings = FPaths.UserFile(SettingsPath);
  std::string failure = FPaths.MakeUserFolder();
  if (failure.empty()) failure = ReplaceFile(settings, FPaths.UserFile(SettingsTempName), content);
  // The old file stays as it was; the game goes on and tries again at the next save.
  if (!failure.empty()) ShowMessage("Cannot write " + settings.string() + ": " + failure);
}
