#include "app/GamePaths.h"

#include <system_error>
#include <utility>

#include "app/CommandLine.h"
#include "platform/Places.h"

namespace fs = std::filesystem;

namespace {

bool HoldsData(const fs::path& folder) {
  std::error_code error;
  return !folder.empty() && fs::is_regular_file(folder / TGamePaths::MarkerFile, error);
}

fs::path Absolute(const fs::path& folder) {
  std::error_code error;
  const fs::path absolute = fs::absolute(folder, error);
  return (error ? folder : absolute).lexically_normal();
}

bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::equivalent(a, b, error) && !error;
}

}  // namespace

TGamePaths::TGamePaths(fs::path dataFolder, fs::path userFolder)
    : FDataFolder(std::move(dataFolder)), FUserFolder(std::move(userFolder)) {}

TGamePaths TGamePaths::Resolve(const TCommandLineOptions& options, const TPlaces& places) {
  const fs::path program = places.ExecutableFolder().empty() ? fs::path() : Absolute(places.ExecutableFolder());
  const fs::path shared = program.empty() ? fs::path() : (program / ".." / "share" / "zarvok").lexically_normal();

  fs::path data;
  if (!options.DataDir.empty()) {
    data = options.DataDir;
  } else if (const auto variable = places.Environment("ZARVOK_DATA_DIR"); variable && !variable->empty()) {
    data = *variable;
  } else if (HoldsData(program)) {
    data = program;
  } else if (HoldsData(shared)) {
    data = shared;
  } else {
    std::error_code error;
    data = !shared.empty() && fs::is_directory(shared, error) ? shared : program;
  }
  data = data.empty() ? data : Absolute(data);

  const bool portable = !program.empty() && SameFolder(data, program) && places.CanWrite(program);
  fs::path user = portable ? program : places.UserFolder();
  if (!user.empty()) user = Absolute(user);
  return TGamePaths(data, user);
}

std::string TGamePaths::MakeUserFolder() const {
  if (FUserFolder.empty()) return {};
  std::error_code error;
  fs::create_directories(FUserFolder, error);
  if (error) return error.message();
  return {};
}
