// Reading whole files in the native tests: any file by its path, or a file
// committed to the repository by its path from the root (empty when there is
// none).
#pragma once
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string committedFile(const std::string& relativePath)
{
    return fileText(std::string(AZM_SOURCE_DIR) + "/" + relativePath);
}

inline std::vector<uint8_t> committedBytes(const std::string& relativePath)
{
    const std::string text = committedFile(relativePath);
    return std::vector<uint8_t>(text.begin(), text.end());
}
