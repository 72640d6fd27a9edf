// Byte-exact file access and a private temporary folder for file tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace test_files {

namespace fs = std::filesystem;

inline std::string ReadBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const fs::path &path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// Each test gets an empty folder of its own, removed afterwards, and the
// name of an rvcfg.ini in it.
class TempDirTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "tarvik-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        file = dir / "rvcfg.ini";
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir;
    fs::path file;
};

} // namespace test_files
