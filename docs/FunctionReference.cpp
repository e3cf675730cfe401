// Writes the manual's reference of the QRX functions (Markdown) to the file named by the first
// argument, from the function table the program itself uses (the one `velmora-cli functions`
// prints).

#include <cstdio>

#include "formula/FunctionHelp.h"
#include "platform/FileUtil.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: velmora_function_reference OUTPUT.md\n", stderr);
        return 2;
    }
    const velmora::Status status =
        velmora::WriteFileAtomically(argv[1], velmora::FunctionReferenceMarkdown());
    if (!status) {
        std::fprintf(stderr, "%s\n", status.ToString().c_str());
        return 1;
    }
    return 0;
}
