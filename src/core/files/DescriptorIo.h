#pragma once

#include <cstddef>
#include <string_view>

namespace albumora {

// Writes every byte of `bytes` to `fd`: a write a signal interrupted is made again, and a short one
// goes on from where it stopped. False on the first other failure, with errno as the write left it;
// how much of `bytes` reached the file then is unknown.
bool WriteAll(int fd, std::string_view bytes);

struct ReadResult {
    std::size_t count = 0;  // bytes placed at the start of the buffer
    bool failed = false;    // a read failed (errno as it left it); `count` holds what came before
};

// Reads from `fd` into `buffer` until its `size` bytes are filled or the file ends; a read a signal
// interrupted is made again, and a short one goes on from where it stopped.
ReadResult ReadFully(int fd, void* buffer, std::size_t size);

}  // namespace albumora
