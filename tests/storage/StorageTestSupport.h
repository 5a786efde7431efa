#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace caraudio::storage::test {

// A fresh folder per test, removed afterwards; nothing touches the user's files.
class TempFolder : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("storage-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::string Folder() const { return dir_.string(); }
    void WriteText(const std::string& name, const std::string& text) const {
        std::ofstream(Path(name), std::ios::binary) << text;
    }
    std::string ReadText(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // What the folder holds but the settings lock file, which a change makes
    // once and leaves (it holds nothing).
    long FilesBesideTheLock() const {
        long n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir_))
            n += entry.path().filename() != "config.ini.lock";
        return n;
    }

    std::filesystem::path dir_;
};

}  // namespace caraudio::storage::test
