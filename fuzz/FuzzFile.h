#pragma once
// Hands a fuzzer's input to code that reads files: one scratch file per process.

#include "common/Messages.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

class SilentSink : public IMessageSink {
public:
    void Show(const std::string&) override {}
};

inline const std::string& ScratchFile(const uint8_t* data, size_t size)
{
    static const std::string path = [] {
        char name[] = "/tmp/dovrel-fuzz-XXXXXX";
        const int fd = mkstemp(name);
        close(fd);
        return std::string(name);
    }();
    static SilentSink sink;
    SetMessageSink(&sink);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (size)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
    return path;
}
