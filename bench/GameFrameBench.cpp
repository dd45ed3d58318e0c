#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <memory>

#include "app/MainForm.h"
#include "battlefield/Terror.h"
#include "combat/PlayerSprite.h"
#include "combat/Pricel.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

namespace fs = std::filesystem;

// A game at level 8 on a full field, built in a scratch copy of the game folder.
class TBusyGame {
 public:
  TBusyGame() {
    FFolder = fs::temp_directory_path() / ("zarvok-bench-" + std::to_string(::getpid()));
    fs::create_directories(FFolder);
    fs::copy(fs::path(ZARVOK_GAME_DIR) / "Data", FFolder / "Data", fs::copy_options::recursive);
    FPrevious = fs::current_path();
    fs::current_path(FFolder);
    FPlatform = MakeHeadlessPlatform(1000);
    FForm = std::make_unique<TMainForm>(FPlatform);
    FForm->ShowForm();
    TMainForm& form = *FForm;
    form.SwitchScreen(scGame);
    form.LevelIntro = false;
    form.LevelNumber = 8;
    form.MaxFoot = 9;
    form.MaxVehicles = 3;
    form.SpawnChance = 3.0;
    form.LevelCountdown = 239;
    form.BuildScene(3);
    form.Spawn<TPlayerSprite>();
    form.Spawn<Pricel_prosto>();
    Fill();
  }
  ~TBusyGame() {
    FForm.reset();
    fs::current_path(FPrevious);
    std::error_code ignored;
    fs::remove_all(FFolder, ignored);
  }
  // Tops the field up to the spawner's limits: ten on foot, four vehicles.
  void Fill() {
    TMainForm& form = *FForm;
    while (form.FootCount <= form.MaxFoot) SpawnFootTerror(form, form.Random(4) + 1);
    while (form.VehicleCount <= form.MaxVehicles) {
      const int32_t kind = form.Random(4) + 5;
      if (kind == 8)
        SpawnHelicopter(form);
      else
        SpawnVehicle(form, kind);
    }
  }
  TMainForm& Form() { return *FForm; }

 private:
  fs::path FFolder;
  fs::path FPrevious;
  TPlatform FPlatform;
  std::unique_ptr<TMainForm> FForm;
};

// One game frame in play: move pass with the terrorists' collision passes, free, draw, counters,
// spawn step. The field is topped up outside the timing.
void BM_GameFrameLevel8FullField(benchmark::State& state) {
  TBusyGame game;
  TMainForm& form = game.Form();
  for (int i = 0; i < 300; ++i) {
    form.Health = 100;
    form.GameFrame();
  }
  for (auto _ : state) {
    form.GameFrame();
    state.PauseTiming();
    game.Fill();
    form.LevelCountdown = 239;
    form.Health = 100;
    form.Lives = 3;
    state.ResumeTiming();
  }
  state.counters["sprites"] = form.Engine().Count();
}
BENCHMARK(BM_GameFrameLevel8FullField)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
