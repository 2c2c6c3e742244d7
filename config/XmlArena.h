// Bump allocator for the records and strings of one parsed document. Every record of the
// document counts as one user; the arena is freed with its last record.
#pragma once

#include <cstddef>

namespace config {

class XmlArena {
public:
    static XmlArena* Create();
    XmlArena(const XmlArena&) = delete;
    XmlArena& operator=(const XmlArena&) = delete;

    void AddUser() { ++users_; }
    // Frees the arena when this was its last user.
    void ReleaseUser();

    // Strings need no alignment, records their own. Aborts the program when memory runs out.
    void* Allocate(size_t size, size_t alignment);
    // Room for up to `capacity` bytes; Shrink gives back what the string did not use.
    char* BeginString(size_t capacity) { return static_cast<char*>(Allocate(capacity, 1)); }
    // `string` must be the latest allocation; `used` includes its terminating zero.
    void Shrink(char* string, size_t used);
    // A zero-terminated copy of `length` bytes.
    char* CopyString(const char* bytes, size_t length);

private:
    struct Chunk;
    XmlArena() = default;
    ~XmlArena();

    Chunk* chunks_ = nullptr;
    char* next_ = nullptr;
    char* end_ = nullptr;
    size_t nextChunkSize_;
    long users_ = 0;
};

// Ends the program on an allocation failure that no caller could recover from.
[[noreturn]] void XmlOutOfMemory();

}  // namespace config
