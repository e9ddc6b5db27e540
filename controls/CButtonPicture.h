#pragma once
#include "controls/CButtonFamily.h"

// The main window's buttons.
class CButtonPicture : public CButtonFamily<CButtonPicture> {
public:
    using CButtonFamily::CButtonFamily;
};
