#include "check.h"

#include "check_report.h"
#include "config_check.h"
#include "data_check.h"

int RunCheck(std::ostream& out) {
    CheckReport report;
    const ConfigReading reading = CheckConfig("config.txt", report);
    CheckData(*reading.store, reading.settings, report);
    PrintReport(report, out);
    return ExitStatus(report);
}

const char* CheckUsage() {
    return "Usage: pelorin-check [FOLDER]\n"
           "\n"
           "Reads config.txt in FOLDER (by default the working directory) and the data\n"
           "file it names, as pelorin and pelorin-render read them, and changes nothing.\n"
           "Prints every key the programs read with its value and where it comes from\n"
           "(a line of config.txt, or the default), what the data file holds, then one\n"
           "line for each thing that may go wrong: unknown keys, values the programs\n"
           "will not use, expressions that fail, labels holding \"=\", a data file that\n"
           "is missing or ends early, and a big grid drawn with the display lists.\n"
           "\n"
           "Exit status: 0 when nothing looks wrong, 1 when something does, 2 for a bad\n"
           "command line.\n";
}
