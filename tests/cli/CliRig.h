#pragma once

// caraudio-cli's commands run in the test process (Run()) against the
// built-in box, each test in folders of its own.

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "CliCommands.h"
#include "HexBlock.h"
#include "SceneRecord.h"

namespace caraudio::cli::rig {

struct Result {
    int status;
    std::string out;
    std::string err;
};

inline std::string Drain(std::FILE* f) {
    std::rewind(f);
    std::string s;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

inline Result RunCli(std::vector<std::string_view> args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int status = Run(args, out, err);
    return {status, Drain(out), Drain(err)};
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

class CliWithBox : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("cli-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        memory_ = "--emulate=" + (dir_ / "box.mem").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    Result Box(std::vector<std::string_view> args) {
        args.insert(args.begin(), memory_);
        return RunCli(args);
    }
    std::string File(const char* name) const { return (dir_ / name).string(); }

    std::filesystem::path dir_;
    std::string memory_;
};

// PC scenes live in the data folder, and the program's lock in the runtime
// folder; each test has its own.
class CliScenes : public CliWithBox {
protected:
    void SetUp() override {
        CliWithBox::SetUp();
        for (const auto& [name, folder] :
             {std::pair{"XDG_DATA_HOME", "data"}, {"XDG_RUNTIME_DIR", "runtime"}}) {
            const char* old = std::getenv(name);
            saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            std::filesystem::create_directories(dir_ / folder);
            ::setenv(name, (dir_ / folder).c_str(), 1);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name, value->c_str(), 1);
            else
                ::unsetenv(name);
        }
        CliWithBox::TearDown();
    }
    std::string ConfigIni() const { return (dir_ / "data" / "CarAudioHalvern" / "config.ini").string(); }
    std::set<std::string> DataFiles() const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_ / "data" / "CarAudioHalvern"))
            names.insert(e.path().filename().string());
        return names;
    }
    std::string ReadConfigIni() const {
        std::ifstream in(ConfigIni(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // config.ini holding the scene "First" and, after a NUL, what the INI
    // library cannot read; returns what the file now holds.
    std::string DamagedSettingsHoldingFirst(const std::string& image) {
        EXPECT_EQ(RunCli({"scene-add", "First", "--image", image}).status, 0);
        const std::string damaged = ReadConfigIni() + std::string("\0\0junk", 6);
        std::ofstream(ConfigIni(), std::ios::binary) << damaged;
        return damaged;
    }
    // A scene file whose record holds these name units and the image.
    std::string SceneFile(const char* file, const std::u16string& name,
                          const EffectBlock& image = DefaultEffectBlock()) const {
        std::array<uint8_t, storage::SceneRecord::kSize> bytes{};
        std::copy(image.data(), image.data() + kEffectBlockSize, bytes.end() - kEffectBlockSize);
        for (size_t i = 0; i < name.size(); ++i) {
            bytes[2 * i] = static_cast<uint8_t>(name[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<uint8_t>(name[i] >> 8);
        }
        std::ofstream(File(file), std::ios::binary)
            << "[CAEConfig]\r\ndata=" << storage::EncodeProfileStruct(bytes.data(), bytes.size()) << "\r\n";
        return File(file);
    }
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

}  // namespace caraudio::cli::rig
