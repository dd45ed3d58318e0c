// Feeds any bytes to the game as its settings file "Config.cfg". The form is built once on the
// headless platform in a scratch copy of the game folder; each input is written to the file and
// read with LoadSettings, and what was taken from it must be drawable and drawn.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/MainForm.h"
#include "engine/SpriteEngine.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

// Built at the first call, once the working folder holds the pictures; it lives as long as the
// fuzzing process.
TMainForm& Form() {
  static TPlatform platform = MakeHeadlessPlatform(1000);
  static TMainForm form(platform);
  return form;
}

bool Drawable(const std::string& text) {
  for (const char c : text)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* source = std::getenv("ZARVOK_FUZZ_GAME_DIR");
  const std::filesystem::path gameDir = source != nullptr ? source : ZARVOK_GAME_DIR;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("zarvok-settings-fuzz-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder / "Data");
  std::filesystem::copy_file(gameDir / "Data" / "Graphic.dxg", folder / "Data" / "Graphic.dxg",
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::current_path(folder);
  Form();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream file("Config.cfg", std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  TMainForm& form = Form();
  form.LoadSettings();

  if (!Drawable(form.PlayerName) || !Drawable(form.ExtraText)) std::abort();
  form.DrawLetterLine(form.ExtraText, 390, 410, 1);
  form.DrawLetterLine(form.PlayerName, 300, 100, 1);
  for (const TLocal_HighScores& record : form.HighScores) {
    if (!Drawable(record.Name)) std::abort();
    form.DrawLetterLine(record.Name, 100, 100, 1.5);
    form.DrawNumberLine(record.Score, 545, 100, "Health_", 1.5);
  }
  TSpriteEngine& engine = form.Engine();
  for (int32_t i = 0; i < engine.Count(); ++i) engine.Items(i).Dead();
  engine.FreeDead();
  return 0;
}
