// config.txt read as pelorin and pelorin-render read it, and checked for what
// they would take silently or refuse: unknown keys, values they cannot use,
// expressions that fail, and the language's traps.
#pragma once

#include <memory>

#include "check_report.h"
#include "config_store.h"
#include "scene_settings.h"

struct ConfigReading {
    // What the store says about the file, kept from the terminal; it lives
    // as long as the store, which reports to it.
    std::unique_ptr<CollectedDiagnostics> storeSaid;
    std::unique_ptr<ConfigStore> store;
    SceneSettings settings;  // as the programs take them
};

// Reads `fileName` (relative to the working directory), fills in the
// report's settings and adds its findings, sorted by line. Nothing is written
// to standard error: the programs' own warnings are collected, and come back
// as findings.
ConfigReading CheckConfig(const char* fileName, CheckReport& report);
