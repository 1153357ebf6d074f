#include "keys.h"
#include "config_check.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "argument_lines.h"
#include "closest_key.h"

namespace {

bool IsLabel(const std::string& argument) {
    return argument.size() >= 2 && argument.front() == '[' && argument.back() == ']';
}

// The name a stored definition defines, as the store takes it: up to the
// first "=", and no further than a NUL byte.
std::string DefinedName(const std::string& stored) {
    const std::string name = stored.substr(0, stored.find('='));
    return name.substr(0, name.find('\0'));
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Whether the programs read any key in `section` ("display/", or "" for the
// top level, where a key written before its section label lands).
bool IsReadSection(const std::string& section) {
    if (section.empty()) return true;
    for (const KeyEntry* key : KeyTable()) {
        if (std::string(key->name).rfind(section, 0) == 0) return true;
    }
    return false;
}

bool IsNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_' || c == '.' || c == '/';
}

// The names that expressions mention: a variable named there is a helper of
// the file's own, not a misspelled key. Every word after a "${" counts, so an
// operator's text argument can hide a misspelling; it is rare in real files.
std::set<std::string> NamesInExpressions(const std::vector<ArgumentSource>& sources) {
    std::set<std::string> names;
    for (const ArgumentSource& source : sources) {
        const std::size_t start = source.written.find("${");
        if (start == std::string::npos) continue;
        std::string word;
        for (std::size_t i = start; i <= source.written.size(); ++i) {
            if (i < source.written.size() && IsNameCharacter(source.written[i])) {
                word += source.written[i];
            } else if (!word.empty()) {
                names.insert(word);
                names.insert(word.substr(word.rfind('/') + 1));
                word.clear();
            }
        }
    }
    return names;
}

class ConfigChecker {
public:
    ConfigChecker(const ConfigStore& store, const std::vector<ArgumentSource>& sources, CheckReport& report)
        : store_(store), sources_(sources), report_(report), mentioned_(NamesInExpressions(sources)) {}

    void CheckArguments() {
        for (std::size_t i = 1; i < store_.arguments.size(); ++i) {
            const std::string& stored = store_.arguments[i];
            if (IsLabel(stored)) {
                OpenSection(stored, sources_[i].line);
            } else {
                CheckDefinition(stored, sources_[i]);
            }
        }
        CloseLabelWithEquals();
    }

    // The programs' own readers, their warnings given the line of their key,
    // and then what they take without a word.
    SceneSettings CheckValues() {
        CollectedDiagnostics said;
        const SceneSettings settings = ReadSceneSettings(store_, said);
        std::stable_partition(said.entries.begin(), said.entries.end(), [](const CollectedDiagnostics::Entry& entry) {
            return entry.severity != Severity::silent;
        });
        AddProgramReports(said.entries);
        CheckTogether(settings.options);
        return settings;
    }

    // Values each fine alone that do not do what they seem to.
    void CheckTogether(const DisplayOptions& options) {
        if (options.legend && !options.colourByHeight && refused_.count("display/legend") == 0) {
            Add(Severity::warning, LineOf("display/legend"),
                "display/legend: the legend explains the height colours, and with colour = red there are none; "
                "write colour = height under [display] to see it");
        }
        const std::optional<double>& elevation = options.camera.elevationDegrees;
        if (elevation && (*elevation > 90 || *elevation < -90)) {
            char degrees[32];
            std::snprintf(degrees, sizeof degrees, "%g", *elevation);
            Add(Severity::warning, LineOf("camera/elevation"),
                "camera/elevation: " + std::string(degrees) +
                    " degrees is beyond the -90 (straight up) to 90 (straight down) the camera can take; the "
                    "programs hold it there");
        }
    }

    void FillSettings() {
        for (const KeyEntry* key : KeyTable()) {
            SettingLine setting;
            setting.key = key;
            const ConfigStore::variable* found = store_.find_variable(key->name);
            if (found != nullptr && refused_.count(key->name) == 0) {
                setting.value = found->original;
                setting.written = true;
                setting.line = LineOf(key->name);
            } else if (key->defaultValue != nullptr) {
                setting.value = key->defaultValue;
            }
            report_.settings.push_back(setting);
        }
        if (store_.find_variable("data/series") != nullptr && store_.find_variable("data/file") != nullptr) {
            Add(Severity::note, LineOf("data/file"), "data/file is not read while data/series is set");
        }
    }

    void Add(Severity severity, int line, std::string text) {
        report_.findings.push_back({severity, line, std::move(text)});
    }

    // "display/colour: ..." from a reader gets its key's line; what the
    // programs keep silent is a warning here. Notes (the integer look-up's
    // "## original = " line, the division trace) are no problem.
    void AddProgramReports(const std::vector<CollectedDiagnostics::Entry>& entries) {
        for (const CollectedDiagnostics::Entry& entry : entries) {
            if (entry.severity == Severity::note) continue;
            const Severity severity = entry.severity == Severity::error ? Severity::error : Severity::warning;
            const std::string key = entry.text.substr(0, entry.text.find(": "));
            if (FindKey(key) == nullptr) {
                Add(severity, Finding::noLine, entry.text);
                continue;
            }
            refused_.insert(key);
            Add(severity, LineOf(key), entry.text);
        }
    }

private:
    int LineOf(const std::string& key) const {
        const auto found = lines_.find(key);
        return found != lines_.end() ? found->second : 0;
    }

    // The section as the store opens it. A label's expressions are taken as
    // written, and could hold an "=" that their worked-out text does not: a
    // label holding one is taken to open a section without "=".
    void OpenSection(const std::string& label, int line) {
        const std::string section =
            ConfigStore::process_section_label(label.substr(1, label.size() - 2), sectionStack_);
        inSectionWithEquals_ = section.find('=') != std::string::npos && label.find("${") == std::string::npos;
        if (!inSectionWithEquals_ || label.find('=') != std::string::npos) CloseLabelWithEquals();
        if (inSectionWithEquals_ && label.find('=') != std::string::npos) labelWithEquals_ = {label, line, section, 0, 0};
    }

    // A label holding "=" is also a definition, and its section name holds
    // "=", so each setting under it defines the variable named by the text
    // before that "=" instead of a key of its own.
    void CloseLabelWithEquals() {
        if (labelWithEquals_.label.empty()) return;
        const LabelWithEquals& label = labelWithEquals_;
        const std::string section = label.section.substr(0, label.section.size() - 1);
        std::string text = "the label " + label.label + " holds \"=\": it defines the variable " +
                           Quoted(DefinedName(label.label)) + " and opens the section " + Quoted(section);
        if (label.settings > 0) {
            text += ", where each setting defines the variable " + Quoted(DefinedName(label.section)) +
                    " instead of its own (" + std::to_string(label.settings) +
                    (label.settings == 1 ? " setting, on line " : " settings, from line ") +
                    std::to_string(label.firstSettingLine) + "); the programs read none of them";
        }
        Add(Severity::warning, label.line, text);
        labelWithEquals_ = {};
    }

    void CheckDefinition(const std::string& stored, const ArgumentSource& source) {
        const int line = source.line;
        const std::size_t equals = stored.find('=');
        if (equals == std::string::npos) {
            Add(Severity::warning, line,
                Quoted(source.written) + " is neither a setting (name = value) nor a section label; the programs ignore it");
            return;
        }
        if (inSectionWithEquals_) {
            if (labelWithEquals_.settings++ == 0) labelWithEquals_.firstSettingLine = line;
            return;
        }
        if (!source.written.empty() && source.written.front() == '=') {
            Add(Severity::warning, line,
                Quoted(source.written) + " has no name: write name = value, with blanks on both sides of \"=\" or on neither");
            return;
        }
        const std::string name = DefinedName(stored);
        const std::string value = stored.substr(equals + 1);
        if (source.written.find("${") != std::string::npos && value.find("<<") != std::string::npos) {
            const std::string expression = source.written.substr(source.written.find('=') + 1);
            Add(Severity::warning, line, name + ": " + Quoted(expression) + " gives " + Quoted(value));
        }
        if (source.written.find('\n') != std::string::npos) {
            const auto lineEnds = std::count(source.written.begin(), source.written.end(), '\n');
            Add(Severity::warning, line,
                name + ": the value runs on over " + std::to_string(lineEnds + 1) +
                    " lines, taking them in: is an apostrophe left open, or a backslash at a line end?");
        }
        if (FindKey(name) != nullptr) {
            if (lines_.count(name) != 0) {
                Add(Severity::note, line,
                    name + " is set again; the value on line " + std::to_string(LineOf(name)) + " is not used");
            }
            lines_[name] = line;
            return;
        }
        CheckUnknownName(name, line);
    }

    void CheckUnknownName(const std::string& name, int line) {
        const std::string section = name.substr(0, name.rfind('/') + 1);
        const std::string last = name.substr(section.size());
        if (name.front() == '[' || mentioned_.count(name) != 0 || mentioned_.count(last) != 0) return;
        const KeyEntry* closest = ClosestKnownKey(name);
        if (closest != nullptr) {
            Add(Severity::warning, line, name + ": unknown key; did you mean " + closest->name + "?");
        } else if (IsReadSection(section)) {
            Add(Severity::warning, line, name + ": unknown key; the programs ignore it");
        }
    }

    struct LabelWithEquals {
        std::string label;  // empty when there is none open
        int line = 0;
        std::string section;
        int settings = 0;
        int firstSettingLine = 0;
    };

    const ConfigStore& store_;
    const std::vector<ArgumentSource>& sources_;
    CheckReport& report_;
    const std::set<std::string> mentioned_;
    std::vector<std::string> sectionStack_;
    bool inSectionWithEquals_ = false;
    LabelWithEquals labelWithEquals_;
    std::map<std::string, int> lines_;  // each known key set, to its last line
    std::set<std::string> refused_;     // known keys whose value the programs do not use
};

}  // namespace

ConfigReading CheckConfig(const char* fileName, CheckReport& report) {
    ConfigReading reading;
    reading.storeSaid = std::make_unique<CollectedDiagnostics>();
    reading.store = std::make_unique<ConfigStore>(fileName, nullptr, nullptr, nullptr, *reading.storeSaid);
    const std::vector<ArgumentSource> sources = ArgumentSources(*reading.store, fileName);
    ConfigChecker checker(*reading.store, sources, report);
    // Anything else by that name that is not read has a warning of its own.
    std::error_code unknown;
    if (!std::filesystem::exists(fileName, unknown)) {
        checker.Add(Severity::warning, Finding::noLine,
                    "no " + std::string(fileName) + " here: every key takes its default");
    }
    checker.AddProgramReports(reading.storeSaid->entries);
    checker.CheckArguments();
    reading.settings = checker.CheckValues();
    checker.FillSettings();
    std::stable_sort(report.findings.begin(), report.findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return reading;
}
