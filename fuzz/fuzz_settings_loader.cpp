// Loads any bytes as a settings file and checks that the result can size a picture safely.

#include "fuzz/FuzzFile.h"
#include "settings/CConfigControl.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& path = ScratchFile(data, size);
    const ConfigRecord r = LoadConfigFile(path);
    if (r.stringCount < 5 || r.stringCount > 37 || r.lineSpacing < 4 || r.lineSpacing > 36 ||
        r.verticalSize < 100 || r.verticalSize > 2000 || r.leftAdjust < 0 || r.leftAdjust > 100 ||
        !std::isfinite(r.displayZoom) || r.displayZoom < 0.1 || r.displayZoom > 4.0)
        std::abort();
    return 0;
}
