// A fresh temporary folder per test, removed afterwards: the program folder
// and the place where packages are written.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

namespace tq::testing {

class FirmwareTestFolder {
public:
    FirmwareTestFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("tqfw-") + (info ? std::string(info->test_suite_name()) + "-" + info->name() : "x");
        for (char& c : name)
            if (c == '/') c = '_';
        path_ = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~FirmwareTestFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    FirmwareTestFolder(const FirmwareTestFolder&) = delete;
    FirmwareTestFolder& operator=(const FirmwareTestFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace tq::testing
