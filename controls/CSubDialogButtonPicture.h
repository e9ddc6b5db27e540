#pragma once
#include "controls/CButtonFamily.h"

// The buttons of the library or the settings dialog, which take turns with one registry.
class CSubDialogButtonPicture : public CButtonFamily<CSubDialogButtonPicture> {
public:
    using CButtonFamily::CButtonFamily;
};
