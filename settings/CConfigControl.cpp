#include "settings/CConfigControl.h"

#include "common/FileServices.h"

namespace {

void Load(const std::string& path, ConfigRecord& record, const ConfigRecord& defaults)
{
    record = defaults;
    if (!CanOpenFile(path))
        return;
    // Starting from the defaults' image keeps every field a short file does not reach.
    ConfigImage image = EncodeConfigRecord(defaults);
    if (ReadWholeFile(path, image.data(), image.size()))
        DecodeConfigRecord(image, record);
    SanitizeConfigRecord(record);
}

} // namespace

CConfigControl::CConfigControl(const std::string& path, ConfigRecord* record, const ConfigRecord& defaults)
    : path(path), record(record)
{
    Load(path, *record, defaults);
}

CConfigControl::~CConfigControl()
{
    if (!saved)
        Save();
}

bool CConfigControl::Save()
{
    saved = true;
    const ConfigImage image = EncodeConfigRecord(*record);
    return WriteWholeFile(path, image.data(), image.size()) != 0;
}

ConfigRecord LoadConfigFile(const std::string& path)
{
    ConfigRecord record;
    Load(path, record, DefaultConfigRecord());
    return record;
}
