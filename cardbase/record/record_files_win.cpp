// The record's file operations on Windows, with wide-character paths (a
// user's Documents may lie under a name in any script).
#include <windows.h>

#include <shlobj.h>

#include "cardbase/record/record_files.h"

static std::wstring wide(const std::string& utf8)
{
    if (utf8.empty()) return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0], length);
    return text;
}

static std::string utf8(const wchar_t* text)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return std::string();
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &bytes[0], length, nullptr, nullptr);
    bytes.resize(static_cast<size_t>(length - 1));
    return bytes;
}

std::string recordFolder()
{
    // Loaded when first used, as the program does: most cards never need it.
    typedef HRESULT(WINAPI * FolderPath)(HWND, int, HANDLE, DWORD, LPWSTR);
    const HMODULE shell = LoadLibraryA("shell32.dll");
    if (!shell) return std::string();
    const FolderPath folderPath =
        reinterpret_cast<FolderPath>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetFolderPathW")));
    wchar_t documents[MAX_PATH] = L"";
    const bool found = folderPath && SUCCEEDED(folderPath(nullptr, CSIDL_PERSONAL, nullptr, 0, documents));
    FreeLibrary(shell);
    return found && documents[0] ? utf8(documents) + "\\Azimora" : std::string();
}

std::string pathInFolder(const std::string& folder, const std::string& name) { return folder + "\\" + name; }

bool makeFolders(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 2 && !makeFolders(path.substr(0, slash))) return false;
    return CreateDirectoryW(wide(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::vector<std::string> folderFiles(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(wide(folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(utf8(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

int64_t fileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

static const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

static bool readPart(const std::string& path, size_t limit, bool tail, std::string* bytes)
{
    const HANDLE file =
        CreateFileW(wide(path).c_str(), GENERIC_READ, shareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool read = false;
    if (GetFileSizeEx(file, &size)) {
        const uint64_t whole = static_cast<uint64_t>(size.QuadPart);
        const size_t count = whole < limit ? static_cast<size_t>(whole) : limit;
        LARGE_INTEGER start;
        start.QuadPart = tail ? static_cast<LONGLONG>(whole - count) : 0;
        bytes->assign(count, '\0');
        size_t done = 0;
        if (SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
            DWORD got = 0;
            while (done < count && ReadFile(file, &(*bytes)[done], static_cast<DWORD>(count - done), &got, nullptr) &&
                   got > 0)
                done += got;
            read = true;
        }
        bytes->resize(done);
    }
    CloseHandle(file);
    return read;
}

bool readFileHead(const std::string& path, size_t limit, std::string* bytes)
{
    return readPart(path, limit, false, bytes);
}
bool readFileTail(const std::string& path, size_t limit, std::string* bytes)
{
    return readPart(path, limit, true, bytes);
}

static bool writeOpened(HANDLE file, const std::string& bytes)
{
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool whole =
        bytes.empty() ||
        (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size());
    const bool flushed = FlushFileBuffers(file) != 0;
    CloseHandle(file);
    return whole && flushed;
}

bool createFileWith(const std::string& path, const std::string& bytes)
{
    return writeOpened(CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                   CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr),
                       bytes);
}

bool appendToFile(const std::string& path, const std::string& bytes)
{
    // Appending access alone: each write lands at the end, whoever else appends.
    return writeOpened(CreateFileW(wide(path).c_str(), FILE_APPEND_DATA | SYNCHRONIZE, shareAll, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr),
                       bytes);
}

bool replaceFileWith(const std::string& path, const std::string& bytes)
{
    const std::wstring aside = wide(path + ".new");
    if (!writeOpened(CreateFileW(aside.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr),
                     bytes))
        return false;
    if (MoveFileExW(aside.c_str(), wide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(aside.c_str());
    return false;
}

bool renameFile(const std::string& from, const std::string& to)
{
    return MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

bool removeFile(const std::string& path) { return DeleteFileW(wide(path).c_str()) != 0; }

bool holdFileLock(const std::string& path, FileLock* lock)
{
    // Shared with no one, and gone with its handle: however the process ends.
    const HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    lock->handle = reinterpret_cast<intptr_t>(file);
    return true;
}

void releaseFileLock(const std::string&, FileLock* lock)
{
    if (lock->handle == -1) return;
    CloseHandle(reinterpret_cast<HANDLE>(lock->handle));
    lock->handle = -1;
}
