#pragma once
// Binds the settings record to its file: fills it at construction, writes it at destruction
// (once: not again when Save wrote it).

#include "settings/ConfigRecord.h"

#include <string>

class CConfigControl {
public:
    // Loads `record` from the file, or copies `defaults` into it when the file cannot be
    // opened. A short file keeps the defaults past its end.
    CConfigControl(const std::string& path, ConfigRecord* record, const ConfigRecord& defaults);
    virtual ~CConfigControl();

    CConfigControl(const CConfigControl&) = delete;
    CConfigControl& operator=(const CConfigControl&) = delete;

    const std::string& Path() const { return path; }

    // Writes the record now instead of at destruction, so that the owner learns whether it
    // was saved; false after the failed save's message.
    bool Save();

private:
    std::string path;
    ConfigRecord* record;
    bool saved = false;
};

// Reads a settings image the way start-up does (defaults first, then the file's bytes,
// then the range checks), without keeping it bound. Used by the command-line tool.
ConfigRecord LoadConfigFile(const std::string& path);
