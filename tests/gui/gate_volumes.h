// The simulator's volumes with a gate: a chosen write to the exchange file
// is held (as a hung USB drive would hold it in the kernel) until released.
#pragma once

#include <condition_variable>
#include <mutex>

#include "core/platform/volumes.h"

namespace tq::testing {

class GateVolumes final : public Volumes {
public:
    explicit GateVolumes(Volumes& inner) : inner_(inner) {}

    // Holds the n-th write from now (1 = the next one).
    void HoldWrite(int n) {
        const std::lock_guard<std::mutex> lock(mutex_);
        writesUntilHold_ = n;
    }
    // True once a write is being held.
    bool Holding() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return holding_;
    }
    void Release() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            writesUntilHold_ = 0;
        }
        changed_.notify_all();
    }

    std::vector<VolumeInfo> List() override { return inner_.List(); }
    VolumeInfo Describe(const std::string& root) override { return inner_.Describe(root); }
    std::string PathInRoot(const std::string& root, const std::string& name) override {
        return inner_.PathInRoot(root, name);
    }
    std::unique_ptr<ExchangeFile> OpenExchangeFile(const std::string& path, bool forWrite,
                                                   std::string& error) override {
        std::unique_ptr<ExchangeFile> file = inner_.OpenExchangeFile(path, forWrite, error);
        return file ? std::make_unique<GatedFile>(*this, std::move(file)) : nullptr;
    }

private:
    class GatedFile final : public ExchangeFile {
    public:
        GatedFile(GateVolumes& gate, std::unique_ptr<ExchangeFile> inner) : gate_(gate), inner_(std::move(inner)) {}
        int64_t Size() override { return inner_->Size(); }
        bool Write(const uint8_t* data, size_t length) override {
            gate_.PassGate();
            return inner_->Write(data, length);
        }
        bool Read(uint8_t* data, size_t length) override { return inner_->Read(data, length); }

    private:
        GateVolumes& gate_;
        std::unique_ptr<ExchangeFile> inner_;
    };

    void PassGate() {
        std::unique_lock<std::mutex> lock(mutex_);
        if (writesUntilHold_ <= 0 || --writesUntilHold_ > 0) return;
        holding_ = true;
        writesUntilHold_ = 1;  // stays closed until Release
        changed_.wait(lock, [this] { return writesUntilHold_ == 0; });
        holding_ = false;
    }

    Volumes& inner_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int writesUntilHold_ = 0;
    bool holding_ = false;
};

}  // namespace tq::testing
