#include "cli/BashCompletion.h"

#include <map>
#include <vector>

#include "cli/CliOptions.h"

namespace quorvane {

namespace {

std::string Joined(const std::vector<std::string>& words, const std::string& separator,
                   const std::string& suffix = {}) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : separator) + word + suffix;
  return text;
}

// What is offered for the value of an option, by the value's name in the option table.
std::string ValueCompletion(const std::string& valueName) {
  if (valueName == "LIST") {  // comma-separated: complete the word after the last comma
    return "      local head=\n"
           "      [[ $cur == *,* ]] && head=${cur%,*},\n"
           "      COMPREPLY=($(compgen -P \"$head\" -W \"" +
           Joined(TestListWords(), " ") + "\" -- \"${cur##*,}\"))\n";
  }
  if (valueName == "LETTER") {
    return "      COMPREPLY=($(compgen -W \"$(\"$1\" --list-drives 2>/dev/null | cut -c1)\" -- "
           "\"${cur^^}\"))\n";
  }
  if (valueName == "FIELD=TEXT") {
    std::vector<std::string> fields;
    for (const std::string& name : kFieldOptionNames) {
      if (name != "threads") fields.push_back(name);  // the thread count has --threads
    }
    return "      COMPREPLY=($(compgen -W \"" + Joined(fields, " ", "=") +
           "\" -- \"$cur\"))\n"
           "      compopt -o nospace\n";
  }
  if (valueName == "FILE") return "      compopt -o default\n";
  if (valueName == "ID") {  // the runs that `quorvane-cli --history` lists now
    return "      COMPREPLY=($(compgen -W \"$(\"$1\" --history 2>/dev/null | cut -d' ' -f1)\" -- "
           "\"$cur\"))\n";
  }
  return {};  // a number or free text: nothing to offer
}

}  // namespace

std::string BashCompletionScript() {
  std::vector<std::string> allNames;
  std::map<std::string, std::vector<std::string>> namesByValue;
  for (const OptionInfo& option : OptionTable()) {
    allNames.insert(allNames.end(), option.names.begin(), option.names.end());
    if (!option.valueName.empty()) {
      auto& names = namesByValue[option.valueName];
      names.insert(names.end(), option.names.begin(), option.names.end());
    }
  }
  std::string script =
      "# bash completion for quorvane-cli, written from its option table at build time.\n"
      "_quorvane_cli() {\n"
      "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
      "  if [[ $cur == = ]]; then cur=; elif [[ $prev == = ]]; then prev=${COMP_WORDS[COMP_CWORD-2]}; fi\n"
      "  COMPREPLY=()\n"
      "  case $prev in\n";
  for (const auto& [valueName, names] : namesByValue) {
    script +=
        "    " + Joined(names, "|") + ")\n" + ValueCompletion(valueName) + "      return ;;\n";
  }
  script +=
      "  esac\n"
      "  COMPREPLY=($(compgen -W \"" +
      Joined(allNames, " ") +
      "\" -- \"$cur\"))\n"
      "}\n"
      "complete -F _quorvane_cli quorvane-cli\n";
  return script;
}

}  // namespace quorvane
