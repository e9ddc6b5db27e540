#pragma once
// libsmf, included the way C++ needs it, and an owner of a loaded file that frees it quickly.

#include <cstdint>
#include <memory>
#include <vector>

// smf.h includes glib.h inside extern "C", which glib's C++ parts refuse.
#include <glib.h>
#include <smf.h>

struct SmfDeleter {
    void operator()(smf_t* smf) const;
};
using SmfPtr = std::unique_ptr<smf_t, SmfDeleter>;

// Loads bytes libsmf can take safely (see MidiSanitizer); nullptr when it refuses them. The
// library's complaints never reach the terminal.
SmfPtr LoadSmf(const std::vector<uint8_t>& bytes);
