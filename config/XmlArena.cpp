#include "config/XmlArena.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr size_t kFirstChunk = 8 * 1024;
constexpr size_t kLargestChunk = 1024 * 1024;
constexpr size_t kAlignment = alignof(std::max_align_t);

size_t RoundUp(size_t size) {
    return (size + kAlignment - 1) & ~(kAlignment - 1);
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

void* XmlArena::Allocate(size_t size) {
    size = RoundUp(size);
    if (static_cast<size_t>(end_ - next_) < size) {
        // Documents of any size get few chunks; a request larger than a chunk gets its own.
        size_t capacity = size > nextChunkSize_ / 2 ? size : nextChunkSize_;
        if (nextChunkSize_ < kLargestChunk) {
            nextChunkSize_ *= 2;
        }
        size_t header = RoundUp(sizeof(Chunk));
        if (capacity > SIZE_MAX - header) {
            XmlOutOfMemory();
        }
        auto* chunk = static_cast<Chunk*>(std::malloc(header + capacity));
        if (!chunk) {
            XmlOutOfMemory();
        }
        chunk->next = chunks_;
        chunks_ = chunk;
        next_ = reinterpret_cast<char*>(chunk) + header;
        end_ = next_ + capacity;
    }
    void* result = next_;
    next_ += size;
    return result;
}

void XmlArena::Shrink(char* string, size_t used) {
    next_ = string + RoundUp(used);
}

char* XmlArena::CopyString(const char* bytes, size_t length) {
    char* copy = static_cast<char*>(Allocate(length + 1));
    std::memcpy(copy, bytes, length);
    copy[length] = '\0';
    return copy;
}
