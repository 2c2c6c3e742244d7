#include "config/XmlArena.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace config {

namespace {

constexpr size_t kFirstChunk = 8 * 1024;
constexpr size_t kLargestChunk = 1024 * 1024;
constexpr size_t kChunkAlignment = alignof(std::max_align_t);

uintptr_t RoundUp(uintptr_t value, size_t alignment) {
    return (value + alignment - 1) & ~(alignment - 1);
}

}  // namespace

struct XmlArena::Chunk {
    Chunk* next;
};

void XmlOutOfMemory() {
    std::fputs("XML reader: out of memory\n", stderr);
    std::abort();
}

XmlArena* XmlArena::Create() {
    void* memory = std::malloc(sizeof(XmlArena));
    if (!memory) {
        XmlOutOfMemory();
    }
    auto* arena = new (memory) XmlArena;
    arena->nextChunkSize_ = kFirstChunk;
    return arena;
}

XmlArena::~XmlArena() {
    while (chunks_) {
        Chunk* next = chunks_->next;
        std::free(chunks_);
        chunks_ = next;
    }
}

void XmlArena::ReleaseUser() {
    if (--users_ == 0) {
        this->~XmlArena();
        std::free(this);
    }
}

void* XmlArena::Allocate(size_t size, size_t alignment) {
    char* start = reinterpret_cast<char*>(RoundUp(reinterpret_cast<uintptr_t>(next_), alignment));
    if (start > end_ || static_cast<size_t>(end_ - start) < size) {
        // Documents of any size get few chunks; a request larger than a chunk gets its own.
        size_t capacity = size > nextChunkSize_ / 2 ? size : nextChunkSize_;
        if (nextChunkSize_ < kLargestChunk) {
            nextChunkSize_ *= 2;
        }
        size_t header = RoundUp(sizeof(Chunk), kChunkAlignment);
        if (capacity > SIZE_MAX - header) {
            XmlOutOfMemory();
        }
        auto* chunk = static_cast<Chunk*>(std::malloc(header + capacity));
        if (!chunk) {
            XmlOutOfMemory();
        }
        chunk->next = chunks_;
        chunks_ = chunk;
        start = reinterpret_cast<char*>(chunk) + header;
        end_ = start + capacity;
    }
    next_ = start + size;
    return start;
}

void XmlArena::Shrink(char* string, size_t used) {
    next_ = string + used;
}

char* XmlArena::CopyString(const char* bytes, size_t length) {
    char* copy = static_cast<char*>(Allocate(length + 1, 1));
    std::memcpy(copy, bytes, length);
    copy[length] = '\0';
    return copy;
}

}  // namespace config
