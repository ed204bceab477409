// `vorlin rules`: lists, adds and deletes the rules of a project (its
// ".prj.rules" file beside the project file).
//   vorlin rules PROJECT.prj                 the rules, numbered, as their descriptions
//   vorlin rules add PROJECT.prj [options]   appends one rule
//   vorlin rules delete PROJECT.prj N        removes rule N
#include "cli/Command.h"

#include "platform/FileSystem.h"
#include "platform/StringUtils.h"
#include "rules/CopyActions.h"
#include "rules/FileSizeCondition.h"
#include "rules/HTTPVorlinRules.h"
#include "rules/Mask.h"
#include "rules/MaskConditions.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace vorlin::cli {

namespace {

constexpr const char* kUsage =
    "usage: vorlin rules PROJECT.prj\n"
    "       vorlin rules add PROJECT.prj [options]\n"
    "       vorlin rules delete PROJECT.prj N\n"
    "\n"
    "Lists the rules of a project, numbered, as their descriptions; adds a rule\n"
    "to the project's rules file; or removes rule N.\n"
    "\n"
    "Conditions of a new rule (LIST: masks separated by commas, joined by \"or\";\n"
    "\"all:LIST\" joins them by \"and\", \"not:LIST\" negates the condition):\n"
    "  --name-mask LIST       the file name\n"
    "  --path-mask LIST       the path after the server\n"
    "  --url-mask LIST        the whole URL\n"
    "  --mime-mask LIST       the content type\n"
    "  --size-above KB        the size is greater than KB\n"
    "  --size-below KB        the size is less than KB (with --size-above: both)\n"
    "  --any                  the rule holds when any condition does (default: all)\n"
    "Actions:\n"
    "  --force                download the file whatever the limits say\n"
    "  --exclude              do not download the file\n"
    "  --copy-to DIR          copy the downloaded file into DIR\n"
    "  --copy-keep-path DIR   copy it below DIR, keeping its path\n"
    "Other:\n"
    "  --name TEXT            the rule's name (default \"New Rule\")\n"
    "  --disabled             add the rule switched off\n";

// A refusal of the arguments: exit status 2.
class EUsage : public Exception {
public:
    using Exception::Exception;
};

int Fail(const std::string& message, int status) {
    std::fprintf(stderr, "vorlin rules: %s\n", message.c_str());
    return status;
}

std::string RulesFileFor(const std::string& projectFile) {
    if (!FileExists(projectFile)) throw Exception("Cannot find the project file \"" + projectFile + "\"");
    return RulesFileOfProjectFile(projectFile);
}

void LoadIfPresent(THTTPVorlinRules& rules, const std::string& file) {
    if (FileExists(file)) rules.LoadFromFile(file);
}

void PrintRule(THTTPVorlinRule& rule, int number) {
    std::cout << number << ". " << rule.Name << (rule.Enabled ? "" : " (disabled)") << "\n";
    for (const std::string& line : SplitLines(rule.Description().Text)) std::cout << "   " << line << "\n";
}

int ListRules(const std::vector<std::string>& args) {
    if (args.size() != 1) throw EUsage("expected one project file");
    THTTPVorlinRules rules;
    LoadIfPresent(rules, RulesFileFor(args[0]));
    if (rules.Count() == 0) std::cout << "No rules.\n";
    for (int i = 0; i < rules.Count(); ++i) PrintRule(rules.Rules(i), i + 1);
    return kExitOk;
}

// "not:all:*.gif,*.jpg": the masks and how the condition joins them.
void SetMasks(THTTPVorlinMaskCondition& condition, std::string list, const std::string& option) {
    if (condition.Active) throw EUsage(option + " is given twice");
    condition.Mode = THTTPVorlinCondition::cmAny;
    for (bool prefix = true; prefix;) {
        prefix = false;
        if (list.rfind("all:", 0) == 0) {
            condition.Mode = THTTPVorlinCondition::cmAll;
            list.erase(0, 4);
            prefix = true;
        } else if (list.rfind("not:", 0) == 0) {
            condition.Negate = true;
            list.erase(0, 4);
            prefix = true;
        }
    }
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        std::string mask = list.substr(start, comma - start);
        if (!mask.empty()) {
            TMask check(mask);  // a malformed mask is refused with its own message
            condition.Masks.push_back(mask);
        }
        start = comma + 1;
    }
    if (condition.Masks.empty()) throw EUsage(option + " needs at least one mask");
    condition.Active = true;
}

int32_t KBytes(const std::string& text, const std::string& option) {
    int32_t value = 0;
    try {
        value = StrToInt(text);
    } catch (const EConvertError&) {
        throw EUsage(option + " needs a number of KB, not '" + text + "'");
    }
    if (value < 0 || value > INT32_MAX / 1024) throw EUsage(option + " is out of range: " + text);
    return value;
}

template <class T> T& Element(THTTPVorlinRule& rule) {
    if (T* element = FindElement<T>(rule)) return *element;
    throw Exception("The rules lack a built-in element");
}

void SetCopy(TCopyToDirAction& action, const std::string& dir, const std::string& option) {
    if (action.Active) throw EUsage(option + " is given twice");
    if (dir.empty()) throw EUsage(option + " needs a directory");
    // The run may start elsewhere: keep the directory the user meant now.
    action.Directory = std::filesystem::absolute(dir).lexically_normal().string();
    action.Active = true;
}

void ApplyOptions(THTTPVorlinRule& rule, const std::vector<std::string>& options) {
    rule.Name = RuleText(rtNewRule);
    rule.Enabled = true;
    rule.Mode = TFilterRule::rmAll;
    auto& size = Element<TFileSizeCondition>(rule);
    bool anyCondition = false, anyAction = false;
    for (size_t i = 0; i < options.size(); ++i) {
        const std::string& o = options[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= options.size()) throw EUsage(o + " needs a value");
            return options[++i];
        };
        if (o == "--name-mask") {
            SetMasks(Element<TFileNameCondition>(rule), value(), o);
            anyCondition = true;
        } else if (o == "--path-mask") {
            SetMasks(Element<TFilePathCondition>(rule), value(), o);
            anyCondition = true;
        } else if (o == "--url-mask") {
            SetMasks(Element<TURLCondition>(rule), value(), o);
            anyCondition = true;
        } else if (o == "--mime-mask") {
            SetMasks(Element<TMimeTypeCondition>(rule), value(), o);
            anyCondition = true;
        } else if (o == "--size-above") {
            size.MinSize = KBytes(value(), o);
            size.GreaterEnabled = size.Active = anyCondition = true;
        } else if (o == "--size-below") {
            size.MaxSize = KBytes(value(), o);
            size.LessEnabled = size.Active = anyCondition = true;
        } else if (o == "--any") {
            rule.Mode = TFilterRule::rmAny;
        } else if (o == "--name") {
            rule.Name = value();
        } else if (o == "--disabled") {
            rule.Enabled = false;
        } else if (o == "--force") {
            Element<TForceDownloadAction>(rule).Active = anyAction = true;
        } else if (o == "--exclude") {
            Element<TExcludeAction>(rule).Active = anyAction = true;
        } else if (o == "--copy-to") {
            SetCopy(Element<TCopyToDirAction>(rule), value(), o);
            anyAction = true;
        } else if (o == "--copy-keep-path") {
            SetCopy(Element<TCopyToDirStructureKeepAction>(rule), value(), o);
            anyAction = true;
        } else {
            throw EUsage("unknown option " + o);
        }
    }
    size.Mode = THTTPVorlinCondition::cmAll;
    if (!anyCondition) throw EUsage("a rule needs at least one condition");
    if (!anyAction) throw EUsage("a rule needs at least one action");
}

int AddRule(const std::vector<std::string>& args) {
    if (args.empty()) throw EUsage("expected a project file");
    const std::string file = RulesFileFor(args[0]);
    THTTPVorlinRules rules;
    LoadIfPresent(rules, file);
    THTTPVorlinRule& rule = rules.Add();
    try {
        ApplyOptions(rule, std::vector<std::string>(args.begin() + 1, args.end()));
    } catch (const EMaskException& e) {
        throw EUsage(e.Message());
    }
    rules.SaveToFile(file);
    PrintRule(rule, rules.Count());
    return kExitOk;
}

int DeleteRule(const std::vector<std::string>& args) {
    if (args.size() != 2) throw EUsage("expected a project file and a rule number");
    const std::string file = RulesFileFor(args[0]);
    THTTPVorlinRules rules;
    LoadIfPresent(rules, file);
    int32_t number = StrToIntDef(args[1], 0);
    if (number < 1 || number > rules.Count())
        throw EUsage(Format("there is no rule %s (the project has %d)", args[1], rules.Count()));
    rules.Delete(number - 1);
    rules.SaveToFile(file);
    return kExitOk;
}

int RunRules(const std::vector<std::string>& args) {
    if (args.empty()) return Fail("no project given; see 'vorlin rules --help'", kExitUsage);
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    try {
        if (args[0] == "add") return AddRule({args.begin() + 1, args.end()});
        if (args[0] == "delete") return DeleteRule({args.begin() + 1, args.end()});
        return ListRules(args);
    } catch (const EUsage& e) {
        return Fail(e.Message() + "; see 'vorlin rules --help'", kExitUsage);
    } catch (const std::exception& e) {
        return Fail(e.what(), kExitFailure);
    }
}

} // namespace

VORLIN_COMMAND("rules", "list, add or delete the rules of a project", RunRules);

} // namespace vorlin::cli
