#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace voka {

// Bytes assembled in place, without allocation; what does not fit is cut.
template <std::size_t capacity>
class FixedText {
public:
    void append(std::string_view bytes) {
        const std::size_t count = std::min(bytes.size(), capacity - size_);
        std::copy_n(bytes.data(), count, bytes_ + size_);
        size_ += count;
    }
    void append(char byte) { append(std::string_view(&byte, 1)); }
    void truncate(std::size_t size) { size_ = std::min(size, size_); }

    // Room for direct writes, e.g. by std::to_chars; `commit` takes what was written.
    char* end() { return bytes_ + size_; }
    char* limit() { return bytes_ + capacity; }
    void commit(char* written_end) { size_ = static_cast<std::size_t>(written_end - bytes_); }

    std::size_t size() const { return size_; }
    const char* data() const { return bytes_; }
    std::string_view view() const { return {bytes_, size_}; }

private:
    char bytes_[capacity];
    std::size_t size_ = 0;
};

}  // namespace voka
