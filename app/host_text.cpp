#include "app/host_text.h"

#include <cstdlib>

#include "app/whole_file.h"

std::string wholeFileText(const std::string& path, DWORD shareMode)
{
    FileBytes file;
    readWholeFile(path.c_str(), shareMode, &file);
    std::string text(file.bytes ? file.bytes : "", file.size);
    std::free(file.bytes);
    return text;
}

std::string environmentText(const char* name)
{
    char value[MAX_PATH * 2];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    if (length == 0 || length >= sizeof value) return std::string();
    return std::string(value, length);
}
