#include "cli/settings.h"

#include <limits>
#include <map>
#include <set>

#include "cli/exit_codes.h"
#include "cli/options.h"
#include "driver/file_helpers.h"

namespace {

// A value and where it came from, for the messages: "--min" or "rMinSz in p.txt".
struct GivenValue {
  std::string text;
  std::string source;
};

// "--min" or, for a value of the parameter file, "rMinSz of --params".
std::string fSourceName(const std::string& option, const GivenValue& value) {
  return value.source.empty() ? option : value.source + " of --params";
}

bool fNumber(const std::string& option, const GivenValue& value, int32_t& number, std::string& problem) {
  int64_t parsed = 0;
  if (!fParseCount(value.text, std::numeric_limits<int32_t>::max(), parsed)) {
    problem = fSourceName(option, value) + " " + value.text + ": not a whole number (digits only, at most 2147483647)";
    return false;
  }
  number = static_cast<int32_t>(parsed);
  return true;
}

bool fHoldsSeparator(const std::string& text) {
  for (char c : text)
    if (c == '/' || c == '\\') return true;
  return false;
}

}  // namespace

int fReadSettings(const Command& command, const std::vector<std::string>& args, RunSettings& settings,
                  std::string& problem) {
  settings.command = &command;
  std::set<std::string> switches;
  std::set<std::string> valued;
  for (const OptionUse& option : command.options) {
    const OptionText* text = fOptionText(option.name);
    (text->value == nullptr ? switches : valued).insert(option.name);
  }
  CommandLine line;
  if (!fParseCommandLine(args, switches, valued, line, problem)) {
    if (problem.compare(0, 14, "unknown option") == 0)
      problem = std::string(command.name) + ": " + problem;
    return kExitUsage;
  }
  settings.help = line.help;
  if (settings.help) return kExitDone;
  if (!line.operands.empty()) {
    problem = std::string(command.name) + " takes options only, not " + line.operands[0];
    return kExitUsage;
  }
  settings.quiet = line.switches.count("--quiet") != 0;
  settings.noStandard = line.switches.count("--no-standard") != 0;
  settings.depth = line.switches.count("--depth") != 0;
  settings.report = line.switches.count("--report") != 0;

  // Values of the parameter file, for the keys this command uses; the command line wins.
  std::map<std::string, GivenValue> values;
  if (line.values.count("--params") != 0) {
    const std::string& paramPath = line.values["--params"];
    ParamMap params;
    if (paramPath.empty() || !fReadParamFile(params, paramPath)) {
      problem = "--params " + paramPath + ": can't be read; check the path";
      return kExitInput;
    }
    for (const OptionUse& option : command.options) {
      const OptionText* text = fOptionText(option.name);
      if (text->paramKey == nullptr) continue;
      auto found = params.find(text->paramKey);
      if (found != params.end()) values[option.name] = {found->second, text->paramKey};
    }
  }
  for (const auto& given : line.values) values[given.first] = {given.second, ""};

  for (const OptionUse& option : command.options) {
    if (!option.required || values.count(option.name) != 0) continue;
    problem = std::string(command.name) + " needs " + option.name + " " + fOptionText(option.name)->value;
    return kExitUsage;
  }

  auto text = [&](const char* option, std::string& into) {
    auto found = values.find(option);
    if (found == values.end()) return false;
    into = found->second.text;
    return true;
  };
  auto number = [&](const char* option, int32_t& into) {
    auto found = values.find(option);
    return found == values.end() || fNumber(option, found->second, into, problem);
  };
  text("--genome", settings.genome);
  text("--reads", settings.reads);
  text("--out", settings.out);
  text("--record", settings.record);
  text("--tasks", settings.tasks);
  text("--reads-dir", settings.readsDir);
  text("--list", settings.list);
  settings.idGiven = text("--id", settings.id);
  if (!number("--min", settings.minSize) || !number("--max", settings.maxSize) ||
      !number("--immut", settings.immut) || !number("--tip", settings.tip) ||
      !number("--mismatches", settings.mismatches) || !number("--max-hits", settings.maxHits) ||
      !number("--threads", settings.threads))
    return kExitUsage;
  if (values.count("--threads") != 0 && (settings.threads < 1 || settings.threads > kMostThreads)) {
    problem = "--threads " + values["--threads"].text + ": give a number of threads from 1 to " +
              std::to_string(kMostThreads);
    return kExitUsage;
  }

  for (const char* option : {"--out", "--genome", "--reads", "--tasks", "--reads-dir", "--list"}) {
    auto found = values.find(option);
    if (found != values.end() && found->second.text.empty()) {
      problem = fSourceName(option, found->second) + " is empty: give a path";
      return kExitUsage;
    }
  }
  if (settings.depth && settings.noStandard) {
    problem = "--depth asks for standard files that --no-standard leaves out; give one of them";
    return kExitUsage;
  }
  if (settings.minSize > settings.maxSize) {
    problem = "--min " + std::to_string(settings.minSize) + " is above --max " + std::to_string(settings.maxSize);
    return kExitUsage;
  }
  // Result names begin with the experiment name: a separator would put them elsewhere.
  if (fHoldsSeparator(settings.id)) {
    problem = "--id " + settings.id + ": must not hold / or \\ (it starts file names in --out)";
    return kExitUsage;
  }
  return kExitDone;
}
