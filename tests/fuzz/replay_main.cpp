// Runs a fuzz harness over its committed inputs: the seed corpus and every
// input that once found a fault. Built with any compiler, so the findings
// stay fixed in every test run, not only in fuzzing builds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputFiles() {
    std::vector<fs::path> files;
    std::stringstream dirs(FUZZ_INPUT_DIRS);
    std::string dir;
    while (std::getline(dirs, dir, '|')) {
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(FuzzReplay, EveryCommittedInputPasses) {
    std::vector<fs::path> files = InputFiles();
    ASSERT_FALSE(files.empty()) << "no seed corpus in " << FUZZ_INPUT_DIRS;
    for (const fs::path& file : files) {
        std::ifstream stream(file, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(stream)),
                                   std::istreambuf_iterator<char>());
        // A failing input aborts the process: name it first.
        fprintf(stderr, "input %s\n", file.filename().c_str());
        EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0) << file;
    }
}

} // namespace
