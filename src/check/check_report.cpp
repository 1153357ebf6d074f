#include "check_report.h"

#include <algorithm>
#include <cstring>

#include "printable_text.h"

namespace {

bool IsProblem(const Finding& finding) { return finding.severity != Severity::note; }

// Quoted in apostrophes as config.txt would need it, when it holds blanks or
// is empty; a line end shows as \n, so that one setting stays one line, and
// other control bytes as \x and their code.
std::string Shown(const std::string& value) {
    const std::string shown = PrintableText(value);
    if (value.empty() || value.find_first_of(" \t\n") != std::string::npos) return "'" + shown + "'";
    return shown;
}

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

const char* SeverityName(Severity severity) {
    switch (severity) {
        case Severity::note: return "note";
        case Severity::warning:
        case Severity::silent: return "warning";
        case Severity::error: return "error";
    }
    return "";
}

}  // namespace

int ExitStatus(const CheckReport& report) {
    return std::any_of(report.findings.begin(), report.findings.end(), IsProblem) ? 1 : 0;
}

void PrintReport(const CheckReport& report, std::ostream& out) {
    out << "config.txt as pelorin and pelorin-render read it:\n";
    std::size_t keyWidth = 0;  // a key added to the table widens the column
    for (const SettingLine& setting : report.settings) keyWidth = std::max(keyWidth, std::strlen(setting.key->name));
    for (const SettingLine& setting : report.settings) {
        const std::string value =
            setting.written || setting.key->defaultValue != nullptr ? Shown(setting.value) : "(unset)";
        const std::string source = !setting.written ? "default"
                                   : setting.line > 0 ? "line " + std::to_string(setting.line)
                                                      : "line ?";
        out << "  " << Padded(setting.key->name, keyWidth) << " = " << Padded(value, 10) << "  " << Padded(source, 8) << "  "
            << setting.key->meaning << "\n";
    }
    out << "\n";
    // Names and values from config.txt and the data file reach the terminal
    // only as printable text.
    for (const std::string& line : report.data) out << PrintableText(line) << "\n";
    out << "\n";
    for (const Finding& finding : report.findings) {
        out << SeverityName(finding.severity) << ": ";
        if (finding.line != Finding::noLine) {
            out << "line " << (finding.line > 0 ? std::to_string(finding.line) : std::string("?")) << ": ";
        }
        out << PrintableText(finding.text) << "\n";
    }
    const auto problems = std::count_if(report.findings.begin(), report.findings.end(), IsProblem);
    if (problems == 0) {
        out << "nothing looks wrong\n";
    } else {
        out << problems << (problems == 1 ? " problem" : " problems") << "\n";
    }
}
