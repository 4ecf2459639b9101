#include "host/host_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

bool HostReadFile(const std::string& path, std::string& text, std::string& error) {
    std::error_code failed;
    uintmax_t size = std::filesystem::file_size(path, failed);
    if (!failed && size > kHostLongestFile) {
        error = "cannot read " + path + ": it has " + std::to_string(size) +
                " bytes, and at most " + std::to_string(kHostLongestFile >> 20) + " MiB are read";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}
