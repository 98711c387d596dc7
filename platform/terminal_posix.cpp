// SPDX-License-Identifier: MIT
#include <unistd.h>

#include "platform/terminal.h"

namespace jabbery {

bool IsTerminal(std::FILE* stream) {
    // isatty on the stream's descriptor: a pipe or a file gets no colour codes.
    return isatty(fileno(stream)) == 1;
}

}  // namespace jabbery
