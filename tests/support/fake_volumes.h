// A scripted platform for device-link tests: a list of volumes, and an
// exchange file that records every write and answers reads from a queue.
#pragma once

#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/volumes.h"

namespace tq::testing {

struct FakeDrive {
    std::vector<std::vector<uint8_t>> writes;  // every write, as transferred
    std::vector<size_t> readLengths;           // every read's length
    std::deque<std::vector<uint8_t>> answers;  // what reads return next; empty queue = read fails
    int64_t size = 4096;
    bool failWrites = false;
    bool failOpen = false;
    int opens = 0;
};

class FakeVolumes final : public Volumes {
public:
    std::vector<VolumeInfo> volumes;
    FakeDrive drive;

    std::vector<VolumeInfo> List() override { return volumes; }
    VolumeInfo Describe(const std::string& root) override {
        for (const auto& v : volumes)
            if (v.root == root) return v;
        return VolumeInfo{root, false, false, 0};
    }
    std::string PathInRoot(const std::string& root, const std::string& name) override { return root + name; }
    std::unique_ptr<ExchangeFile> OpenExchangeFile(const std::string& path, bool, std::string& error) override {
        ++drive.opens;
        openedPaths.push_back(path);
        if (drive.failOpen) {
            error = "refused";
            return nullptr;
        }
        return std::make_unique<File>(drive);
    }
    std::vector<std::string> openedPaths;

    // Queues an answer frame 02 status 00 01 L data CRC(ignored) padded to 512.
    void QueueAnswer(const std::vector<uint8_t>& data, uint8_t status = 0) {
        std::vector<uint8_t> frame(512, 0);
        frame[0] = 0x02;
        frame[1] = status;
        frame[3] = 0x01;
        frame[4] = static_cast<uint8_t>(data.size() >> 8);
        frame[5] = static_cast<uint8_t>(data.size());
        if (!data.empty()) std::memcpy(frame.data() + 6, data.data(), data.size());
        drive.answers.push_back(frame);
    }

private:
    class File final : public ExchangeFile {
    public:
        explicit File(FakeDrive& drive) : drive_(drive) {}
        int64_t Size() override { return drive_.size; }
        bool Write(const uint8_t* data, size_t length) override {
            if (drive_.failWrites) return false;
            drive_.writes.emplace_back(data, data + length);
            if (static_cast<int64_t>(length) > drive_.size) drive_.size = static_cast<int64_t>(length);
            return true;
        }
        bool Read(uint8_t* data, size_t length) override {
            drive_.readLengths.push_back(length);
            if (drive_.answers.empty()) return false;
            std::vector<uint8_t> next = std::move(drive_.answers.front());
            drive_.answers.pop_front();
            std::memset(data, 0, length);
            std::memcpy(data, next.data(), std::min(length, next.size()));
            return true;
        }

    private:
        FakeDrive& drive_;
    };
};

// A programmer drive at "E:\" that FindDeviceDrive accepts.
inline VolumeInfo ProgrammerVolume(const std::string& root = "E:\\") { return VolumeInfo{root, true, true, 4608}; }

}  // namespace tq::testing
