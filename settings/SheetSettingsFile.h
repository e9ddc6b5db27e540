#pragma once
// The sheet settings kept in "sheet.ini" beside "setup.ini", so that the 184-byte record stays
// as it is.

#include "settings/SheetSettings.h"

#include <QString>
#include <optional>
#include <string>
#include <string_view>

constexpr const char* kSheetSettingsFileName = "sheet.ini";

// The settings the file holds; the defaults when it is missing, unreadable, not a regular
// file, over 4 KiB or not text. A value that does not read, or lies outside its range, keeps
// its default alone; unknown keys and groups are passed over. Never blocks and never reports.
// `spacingGiven`, where asked, tells whether the file names a string spacing that reads.
SheetSettings ReadSheetSettings(const QString& path, bool* spacingGiven = nullptr);

// Puts the settings into the file as it stands: nothing when it holds them already; else the
// lines of changed settings rewritten, missing keys added (those of unchanged settings only while
// the file stays within 4 KiB), whatever else it holds kept; a file that was not understood is
// not overwritten with the defaults. Written whole or left as it was; false, after the message
// setup.ini's failed save shows, when it could not be written or the changed lines would carry
// it past 4 KiB. `opened`, where given, is what the session started from (the file's settings
// with whatever stood in for what it lacked): while the settings are still those, a file that is
// there is not touched, however little of it was understood.
bool WriteSheetSettings(const QString& path, const SheetSettings& settings,
                        const std::optional<SheetSettings>& opened = std::nullopt);

// One "key=value" line of a [sheet] group as sheet.ini reads it, for other files that keep
// sheet settings: false when the key is not one of the group's or the value does not read (the
// settings then keep theirs).
bool ReadSheetSetting(std::string_view key, std::string_view value, SheetSettings& into);
// Whether the key is one of the group's, whatever its value.
bool IsSheetSettingKey(std::string_view key);
// The group's lines for the settings, "key=value\n" each, in the order sheet.ini writes them.
std::string SheetSettingLines(const SheetSettings& settings);
