#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// What the command line asked for; whatever it did not mention stays unset.
struct TCommandLineOptions {
  bool Help = false;
  bool Version = false;
  // Start full screen (true) or in a window (false) instead of the saved mode; the switch is
  // then saved as it always is.
  std::optional<bool> FullScreen;
  // The folder holding Data/ and Music/, tried before any other place; empty when not given.
  std::string DataDir;
};

// Reads the program's arguments into TCommandLineOptions. Every option is one row of a table,
// so a new one is a new row: "--name" for a switch, "--name VALUE" or "--name=VALUE" for one
// that takes a value. When an option is given twice, the last one counts.
class TCommandLine {
 public:
  struct TOption {
    std::string Name;       // "--data"
    std::string ValueName;  // "DIR"; empty for a switch
    std::string Help;       // one line for the usage text
    std::function<void(TCommandLineOptions& options, const std::string& value)> Apply;
  };

  TCommandLine();

  // Parses the arguments after the program's name; false when one is unknown, misses its value
  // or is no option at all, with Error() saying which.
  bool Parse(const std::vector<std::string>& arguments);
  bool Parse(int argc, const char* const* argv);

  const TCommandLineOptions& Options() const { return FOptions; }
  const std::string& Error() const { return FError; }
  // The usage text, one line per option, ended by a line feed.
  std::string Usage(const std::string& program = "zarvok") const;

 private:
  const TOption* Find(const std::string& name) const;

  std::vector<TOption> FTable;
  TCommandLineOptions FOptions;
  std::string FError;
};
