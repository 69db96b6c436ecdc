#include "bda/bda_log.h"

#include <windows.h>

#include <cstdio>

#include "app/host_text.h"
#include "bda/bda_settings.h"
#include "cardbase/reading_feed.h"

static const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

static std::string logPath()
{
    std::string path = cardSettingsPath();
    const size_t dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : path.substr(0, dot) + ".log";
}

static bool writeAll(HANDLE file, const std::string& bytes)
{
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

void bdaLog(const std::string& line)
{
    const std::string path = logPath();
    if (path.empty()) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    const HANDLE file =
        CreateFileA(path.c_str(), FILE_APPEND_DATA, shareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    writeAll(file, stamp + line + "\r\n");
    CloseHandle(file);
}

// Written aside and moved over the file, so that a reader finds the old text or the new.
bool keepBdaSetting(const std::string& key, const std::string& value)
{
    const std::string path = cardSettingsPath();
    if (path.empty()) return false;
    const std::string bytes = settingsWithLine(wholeFileText(path, shareAll), key, value);
    const std::string aside = path + ".new";
    const HANDLE file =
        CreateFileA(aside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool written = writeAll(file, bytes) && FlushFileBuffers(file);
    CloseHandle(file);
    if (written && MoveFileExA(aside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(aside.c_str());
    return false;
}
