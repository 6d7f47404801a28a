#define FUSE_USE_VERSION 35
#include "simdrive/sim_drive.h"

#include <fuse.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "core/device/link.h"
#include "sim/sim_programmer.h"

namespace tq {

namespace {
constexpr const char* kExchangePath = "/Write.Temp";

SimDrive& DriveOfRequest() { return *static_cast<SimDrive*>(fuse_get_context()->private_data); }
}  // namespace

// The FUSE callbacks; each request reaches the drive through the context.
struct SimDrive::Operations {
    static void* Init(fuse_conn_info*, fuse_config* config) {
        // No caching anywhere: every read asks the programmer again, and the
        // file's size is asked afresh on every stat.
        config->direct_io = 1;
        config->kernel_cache = 0;
        config->attr_timeout = 0;
        config->entry_timeout = 0;
        config->negative_timeout = 0;
        return fuse_get_context()->private_data;
    }

    static int GetAttr(const char* path, struct stat* st, fuse_file_info*) {
        std::memset(st, 0, sizeof *st);
        if (std::strcmp(path, "/") == 0) {
            st->st_mode = S_IFDIR | 0755;
            st->st_nlink = 2;
            return 0;
        }
        if (std::strcmp(path, kExchangePath) != 0) return -ENOENT;
        st->st_mode = S_IFREG | 0644;
        st->st_nlink = 1;
        SimDrive& drive = DriveOfRequest();
        const std::lock_guard lock(drive.mutex_);
        st->st_size = drive.file_->Size();
        st->st_blksize = kSectorSize;
        st->st_blocks = (st->st_size + 511) / 512;
        return 0;
    }

    static int ReadDir(const char* path, void* entries, fuse_fill_dir_t fill, off_t, fuse_file_info*, fuse_readdir_flags) {
        if (std::strcmp(path, "/") != 0) return -ENOENT;
        fill(entries, ".", nullptr, 0, fuse_fill_dir_flags{});
        fill(entries, "..", nullptr, 0, fuse_fill_dir_flags{});
        fill(entries, kExchangeFileName, nullptr, 0, fuse_fill_dir_flags{});
        return 0;
    }

    static int Open(const char* path, fuse_file_info* info) {
        if (std::strcmp(path, kExchangePath) != 0) return -ENOENT;
        info->direct_io = 1;
        info->keep_cache = 0;
        return 0;
    }

    // The programmer serves whole transfers at offset 0 only; a read beyond
    // the file's first transfer ends there, as at the end of a file.
    static int Read(const char*, char* buffer, size_t size, off_t offset, fuse_file_info*) {
        SimDrive& drive = DriveOfRequest();
        const std::lock_guard lock(drive.mutex_);
        const int64_t fileSize = drive.file_->Size();
        if (offset != 0 || fileSize <= 0) return 0;
        const size_t count = std::min<size_t>(size, static_cast<size_t>(fileSize));
        const bool done = drive.file_->Read(reinterpret_cast<uint8_t*>(buffer), count);
        drive.AfterTransfer();
        return done ? static_cast<int>(count) : -EIO;
    }

    static int Write(const char*, const char* data, size_t size, off_t offset, fuse_file_info*) {
        if (offset != 0) return -EIO;
        SimDrive& drive = DriveOfRequest();
        const std::lock_guard lock(drive.mutex_);
        const bool done = drive.file_->Write(reinterpret_cast<const uint8_t*>(data), size);
        drive.AfterTransfer();
        return done ? static_cast<int>(size) : -EIO;
    }

    // The volume's size as the programmer's drive reports it: 4608 bytes in
    // 512-byte blocks, nothing free.
    static int StatFs(const char*, struct statvfs* vfs) {
        SimDrive& drive = DriveOfRequest();
        const std::lock_guard lock(drive.mutex_);
        const VolumeInfo volume = drive.programmer_.volumes().Describe(drive.programmer_.VolumeRoot());
        std::memset(vfs, 0, sizeof *vfs);
        vfs->f_bsize = kSectorSize;
        vfs->f_frsize = kSectorSize;
        vfs->f_blocks = volume.totalBytes / kSectorSize;
        vfs->f_namemax = 255;
        return 0;
    }

    static fuse_operations Table() {
        fuse_operations ops{};
        ops.init = Init;
        ops.getattr = GetAttr;
        ops.readdir = ReadDir;
        ops.open = Open;
        ops.read = Read;
        ops.write = Write;
        ops.statfs = StatFs;
        return ops;
    }
};

SimDrive::SimDrive(SimProgrammer& programmer) : programmer_(programmer) {}

SimDrive::~SimDrive() = default;

void SimDrive::AfterTransfer() {
    ++transfers_;
    // Unplugged (a fault switch): the volume goes away, as a pulled drive's
    // does. A moment's absence keeps the mount: the drive comes back.
    if (programmer_.PulledForGood()) fuse_exit(fuse_get_context()->fuse);
}

bool SimDrive::Serve(const std::string& mountPoint, std::string& error) {
    Volumes& volumes = programmer_.volumes();
    file_ = volumes.OpenExchangeFile(volumes.PathInRoot(programmer_.VolumeRoot(), kExchangeFileName), true, error);
    if (!file_) return false;

    // auto_unmount: should this process die without unmounting, the mount
    // helper removes the volume, so no dead mount is left behind.
    std::vector<std::string> words = {"tqprog-simdrive", "-o", "fsname=tqprog-simdrive,subtype=tqprog-simdrive,auto_unmount"};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    fuse_args args = FUSE_ARGS_INIT(static_cast<int>(argv.size()), argv.data());
    const fuse_operations ops = Operations::Table();
    fuse* fs = fuse_new(&args, &ops, sizeof ops, this);
    if (!fs) {
        error = "FUSE refused the mount options";
        return false;
    }
    if (fuse_mount(fs, mountPoint.c_str()) != 0) {
        fuse_destroy(fs);
        error = "cannot mount at " + mountPoint + " (is /dev/fuse there, and fusermount3?)";
        return false;
    }
    fuse_session* session = fuse_get_session(fs);
    fuse_set_signal_handlers(session);
    const int loop = fuse_loop(fs);  // one request at a time: the simulator is single-threaded
    fuse_remove_signal_handlers(session);
    fuse_unmount(fs);
    fuse_destroy(fs);
    fuse_opt_free_args(&args);
    if (loop < 0) {
        error = std::string("serving the drive failed: ") + std::strerror(-loop);
        return false;
    }
    return true;
}

}  // namespace tq
