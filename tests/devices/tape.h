// Cassette image files in a temporary folder of the test's own.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class TapeFolder {
  public:
    TapeFolder() {
        auto base = std::filesystem::temp_directory_path();
        for (int n = 0;; ++n) {
            path_ = base / ("z80home-tape-" + std::to_string(n));
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    ~TapeFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TapeFolder(const TapeFolder&) = delete;
    TapeFolder& operator=(const TapeFolder&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& file, const std::vector<int>& bytes,
                       std::ios::openmode mode = std::ios::trunc) {
    std::ofstream out(file, std::ios::binary | std::ios::out | mode);
    for (int byte : bytes)
        out.put(static_cast<char>(byte));
}

inline std::vector<int> ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<int> bytes;
    for (int byte; (byte = in.get()) != EOF;)
        bytes.push_back(byte);
    return bytes;
}
