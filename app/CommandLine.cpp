#include "app/CommandLine.h"

#include <algorithm>

TCommandLine::TCommandLine() {
  FTable = {
      {"--help", "", "show this text and exit", [](TCommandLineOptions& o, const std::string&) { o.Help = true; }},
      {"--version", "", "show the version and exit",
       [](TCommandLineOptions& o, const std::string&) { o.Version = true; }},
      {"--window", "", "start in a window", [](TCommandLineOptions& o, const std::string&) { o.FullScreen = false; }},
      {"--fullscreen", "", "start full screen",
       [](TCommandLineOptions& o, const std::string&) { o.FullScreen = true; }},
      {"--data", "DIR", "read the game's data (Data/, Music/) from DIR",
       [](TCommandLineOptions& o, const std::string& value) { o.DataDir = value; }},
  };
}

const TCommandLine::TOption* TCommandLine::Find(const std::string& name) const {
  const auto found = std::find_if(FTable.begin(), FTable.end(), [&](const TOption& o) { return o.Name == name; });
  return found == FTable.end() ? nullptr : &*found;
}

bool TCommandLine::Parse(const std::vector<std::string>& arguments) {
  FOptions = {};
  FError.clear();
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const std::string name = argument == "-h" ? "--help" : argument.substr(0, argument.find('='));
    const TOption* option = argument.rfind("--", 0) == 0 || argument == "-h" ? Find(name) : nullptr;
    if (option == nullptr) {
      FError = argument.rfind("-", 0) == 0 ? "unknown option '" + argument + "'" : "unexpected argument '" + argument + "'";
      return false;
    }
    const bool inlineValue = name.size() < argument.size();
    if (option->ValueName.empty()) {
      if (inlineValue) {
        FError = "option '" + name + "' takes no value";
        return false;
      }
      option->Apply(FOptions, {});
      continue;
    }
    std::string value;
    if (inlineValue) {
      value = argument.substr(name.size() + 1);
    } else if (i + 1 < arguments.size()) {
      value = arguments[++i];
    }
    if (value.empty()) {
      FError = "option '" + name + "' needs " + option->ValueName;
      return false;
    }
    option->Apply(FOptions, value);
  }
  return true;
}

bool TCommandLine::Parse(int argc, const char* const* argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  return Parse(arguments);
}

std::string TCommandLine::Usage(const std::string& program) const {
  std::string text = "Usage: " + program + " [OPTION]...\nA desert shooting gallery.\n\n";
  size_t width = 0;
  for (const TOption& o : FTable) width = std::max(width, o.Name.size() + (o.ValueName.empty() ? 0 : o.ValueName.size() + 1));
  for (const TOption& o : FTable) {
    std::string left = o.Name + (o.ValueName.empty() ? "" : " " + o.ValueName);
    left.resize(width, ' ');
    text += "  " + left + "  " + o.Help + "\n";
  }
  text +=
      "\nThe data folder is the first of: --data, $ZARVOK_DATA_DIR, the program's own folder when it\n"
      "holds Data/Graphic.dxg, and ../share/zarvok beside the program. Settings are kept beside the\n"
      "program when that folder holds the data and is writable, else in $XDG_DATA_HOME/zarvok.\n";
  return text;
}
