#pragma once
// Writing a file that replaces another only once it is whole on disk. The bytes go to a
// temporary file beside the target, which is synced and then renamed over it; where the folder
// forbids new files but the target itself may be written, the bytes are gathered in memory and
// written over the target in place, with its old content put back if that write fails.
// Every short write, failed sync or failed rename is reported, never passed over.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orv {

/// Why a file could not be written.
enum class FileFault {
    None,
    DiskFull,     ///< no space left on the device, or the user's quota is used up
    NotWritable,  ///< the folder or the file may not be written (or does not exist)
    IoError,      ///< the device reported some other failure
};

/// The outcome of one step of writing a file: a fault and the system's words for it.
struct FileStatus {
    FileFault fault = FileFault::None;
    std::string message;

    bool ok() const { return fault == FileFault::None; }
};

/// The kind of fault an errno value stands for.
FileFault FaultOfErrno(int error);

/// Somewhere bytes can be written at given offsets; the saver's encoders write through it.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    /// Writes all `size` bytes at `offset`, or reports why not.
    virtual FileStatus WriteAt(std::uint64_t offset, const void* data, std::size_t size) = 0;
};

/// A file that replaces `target` on Commit and leaves it untouched otherwise.
class ReplacingFile : public ByteSink {
  public:
    explicit ReplacingFile(std::string target);
    ~ReplacingFile() override;  // discards what was not committed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    /// Creates the temporary file beside the target, or, when the folder forbids that and the
    /// target is a writable regular file, prepares to write the target in place.
    FileStatus Open();
    FileStatus WriteAt(std::uint64_t offset, const void* data, std::size_t size) override;
    /// Makes the written bytes the target's content: the temporary file is flushed to disk and
    /// renamed over the target (the folder is synced too), or the target is overwritten in
    /// place. On failure the target keeps its old content.
    FileStatus Commit();
    /// Drops what was written; the target keeps its old content.
    void Discard();

    /// Whether the target is written in place (its folder forbids new files).
    bool InPlace() const { return inPlace_; }
    /// The temporary file's path while one exists (empty otherwise).
    const std::string& TemporaryPath() const { return temporary_; }

  private:
    FileStatus CommitInPlace();

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    bool inPlace_ = false;
    bool linkRefused_ = false;            // the target is a link that may not be followed
    std::vector<unsigned char> pending_;  // in-place mode: the whole new content
};

/// Replaces the file `target` with `size` bytes at once, as ReplacingFile does.
FileStatus WriteWholeFile(const std::string& target, const void* data, std::size_t size);

}  // namespace orv
