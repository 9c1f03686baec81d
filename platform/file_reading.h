// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading a whole file safely: the file is opened without blocking and its kind is taken from the
// open descriptor, so a FIFO, a device or a folder in place of a data file is refused at once
// instead of hanging the program, and nothing larger than the caller's limit is read. Plain POSIX,
// so the sound component can use it as well as the engine.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ZapModule {

enum class ReadFailure { None, Missing, NotAFile, NoPermission, TooLarge, Failed };

struct FileRead {
    ReadFailure Failure = ReadFailure::None;
    std::vector<uint8_t> Bytes;  // the whole file, when read
    uint64_t Size = 0;           // the file's size, when it is too large
    size_t Limit = 0;            // the limit it was read with
    int Error = 0;               // errno of a failed open or read
    bool Ok() const { return Failure == ReadFailure::None; }
};

// The file at `path` when it is a regular file of at most `maxSize` bytes, else the reason.
FileRead ReadRegularFile(const std::string& path, size_t maxSize);
// Opens `path` for reading at once, never waiting for a FIFO's writer or a device: the
// descriptor, or -1 with errno set (ENXIO for a FIFO where the platform's open would wait).
int OpenToRead(const std::string& path);

// A regular file of at most `maxSize` bytes read in parts from its start, for a file too long to
// hold whole. What ReadRegularFile refuses is refused, with the same reasons.
class FileReader {
  public:
    FileReader(const std::string& path, size_t maxSize);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // Why the file cannot be read (its Bytes stay empty); Ok() when it is open.
    const FileRead& Opened() const { return opened_; }
    // Reads up to `most` bytes into `to`: how many, 0 at the end, or -1 with the errno in errno.
    std::ptrdiff_t Read(char* to, size_t most);
    // Goes back to the start; false with errno set when it cannot.
    bool Rewind();

  private:
    int fd_;
    FileRead opened_;
};

}  // namespace ZapModule
