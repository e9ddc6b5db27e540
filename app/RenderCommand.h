#pragma once
// The command-line renderer: a song's score as PNG or as the printed A3 page in PDF,
// and its facts as text, without a screen.

#include <iosfwd>
#include <string>
#include <vector>

// Runs the command with the arguments after the program name; returns the exit status
// (0 done, 1 a file could not be read or written, 2 a usage error).
int RunRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const kRenderUsage;
