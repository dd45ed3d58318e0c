#include "server/ServerOptions.h"

#include <charconv>
#include <optional>

#include "server/RequestHead.h"

namespace {

int32_t ParseNumber(const std::string& option, const std::string& text, int32_t low, int32_t high) {
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    throw EServerOptionsError(option + " needs a whole number from " + std::to_string(low) + " to " +
                              std::to_string(high) + ", not \"" + text + "\"");
  }
  return value;
}

}  // namespace

TServerOptions ParseServerOptions(const std::vector<std::string>& arguments) {
  TServerOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    if (option == "--help" || option == "-h") {
      options.Help = true;
      continue;
    }
    if (option == "--quiet") {
      options.Log = false;
      continue;
    }
    if (i + 1 >= arguments.size()) throw EServerOptionsError("unknown option or missing value: " + option);
    const std::string& value = arguments[++i];
    if (option == "--address") {
      if (value.empty()) throw EServerOptionsError("--address needs an address");
      options.Address = value;
    } else if (option == "--port") {
      options.Port = ParseNumber(option, value, 0, 65535);
    } else if (option == "--key") {
      if (value.size() != 1 || value[0] < 'A' || value[0] > 'Z') {
        throw EServerOptionsError("--key needs one capital letter, not \"" + value + "\"");
      }
      options.Key = value[0];
    } else if (option == "--data") {
      if (value.empty()) throw EServerOptionsError("--data needs a folder");
      options.DataDir = value;
    } else if (option == "--database") {
      if (value.empty()) throw EServerOptionsError("--database needs a postgresql:// address");
      options.Database = value;
    } else if (option == "--migrate-from") {
      if (value.empty()) throw EServerOptionsError("--migrate-from needs a SQLite file");
      options.MigrateFrom = value;
    } else if (option == "--static") {
      options.StaticDir = value;
    } else if (option == "--rate-limit") {
      options.RateLimit = ParseNumber(option, value, 0, 1'000'000'000);
    } else if (option == "--threads") {
      options.Threads = ParseNumber(option, value, 1, 1024);
    } else if (option == "--connections-per-address") {
      options.MaxConnectionsPerAddress = ParseNumber(option, value, 1, 100000);
    } else if (option == "--trusted-proxy") {
      const std::optional<std::string> address = NormalAddress(value);
      if (!address) throw EServerOptionsError("--trusted-proxy needs a numeric address, not \"" + value + "\"");
      options.TrustedProxy = *address;
    } else {
      throw EServerOptionsError("unknown option: " + option);
    }
  }
  return options;
}

std::string ServerUsage() {
  return "Usage: zarvok-score-server [options]\n"
         "  --address ADDR     listen on this address (default 127.0.0.1)\n"
         "  --port N           listen on this port (default 8642; 0 picks a free one)\n"
         "  --key LETTER       the key letter the game sends (default: the game's build setting)\n"
         "  --data DIR         folder of the score database (default ./score-data)\n"
         "  --database URL     keep everything in PostgreSQL instead (postgresql://user@host:port/db);\n"
         "                     any number of servers may share one database\n"
         "  --migrate-from F   copy the scores of the SQLite file F into --database, then end\n"
         "  --static DIR       folder of the site's pictures (default: server/static of the sources)\n"
         "  --rate-limit N     submissions per client address and minute (default 10, 0 = no limit);\n"
         "                     version queries: three times as many\n"
         "  --threads N        request threads (default 16)\n"
         "  --connections-per-address N\n"
         "                     open connections one client address may hold (default 8)\n"
         "  --trusted-proxy ADDR\n"
         "                     a reverse proxy in front of the server: for its requests the client\n"
         "                     address is the last one in X-Forwarded-For (default: none)\n"
         "  --quiet            no log lines (requests, refusals, database failures)\n";
}
