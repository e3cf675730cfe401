// "tarvik.workspace" bytes parsed into the category tables and written back.

#include <cstdint>
#include <cstdlib>

#include "database/WorkspaceFile.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CategoryTables tables;
    tables.SetDefaultNames();
    const Bytes bytes(data, data + size);
    if (ParseWorkspaceFile(bytes, tables)) {
        CategoryTables back;
        // What the writer writes must read back.
        if (!ParseWorkspaceFile(BuildWorkspaceFile(tables), back)) std::abort();
    }
    return 0;
}
