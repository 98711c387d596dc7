// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

namespace jabbery {

// A file compiled into the program (the icons), with its bare file name.
struct EmbeddedFile {
    const char* m_name;
    const unsigned char* m_data;
    std::size_t m_size;
};

// Every embedded file; the list ends with an entry whose m_name is null.
const EmbeddedFile* EmbeddedFiles();

}  // namespace jabbery
