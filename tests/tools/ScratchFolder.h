// A private temporary folder that is the current directory, for the tool-chain tests
// and fuzz targets: the tools work with names relative to it, and transcripts stay short.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

// A test that runs in a fresh folder of its own, removed afterwards.
class ScratchFolderTest : public ::testing::Test
{
protected:
    explicit ScratchFolderTest(const char* prefix) : m_prefix(prefix) {}
    void SetUp() override
    {
        m_home = std::filesystem::current_path();
        std::string pattern = std::filesystem::temp_directory_path() / (m_prefix + "-XXXXXX");
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        std::filesystem::current_path(m_dir);
    }
    void TearDown() override
    {
        std::filesystem::current_path(m_home);
        std::filesystem::remove_all(m_dir);
    }

    std::string m_prefix;
    std::filesystem::path m_dir;
    std::filesystem::path m_home;
};

// For a fuzz target: the first call makes a folder and enters it; every call empties it,
// so that each input starts from nothing.
inline void EnterScratchFolder(const char* prefix)
{
    static bool entered = false;
    if (!entered) {
        std::string pattern =
            std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX");
        if (!mkdtemp(pattern.data()) || chdir(pattern.c_str()) != 0) {
            std::abort();
        }
        entered = true;
    }
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        std::filesystem::remove_all(entry.path());
    }
}
