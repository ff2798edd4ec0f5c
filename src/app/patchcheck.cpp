// tonecast-patchcheck FILE...: loads each patch script fully and prints its
// warnings, errors and a summary. Exit status 1 when a file fails to load.
#include "patches/PatchScriptParser.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE...\n", argv[0]);
        return 2;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        TWarnings warnings;
        try {
            auto list = LoadPatchList(argv[i], &warnings);
            for (const auto& w : warnings) std::printf("%s: %s\n", argv[i], w.c_str());
            TPatchSetCounts c = CountPatchList(*list);
            std::printf("%s: %zu modes, %zu groups, %zu programs, %zu key names, %zu warnings\n", argv[i],
                        c.modes, c.groups, c.programs, c.keyNames, warnings.size());
        } catch (const TPatchScriptParseException& e) {
            // The error is the last entry of the warnings list.
            for (const auto& w : warnings) std::printf("%s: %s\n", argv[i], w.c_str());
            std::printf("%s: failed to load\n", argv[i]);
            status = 1;
        } catch (const std::exception& e) {
            for (const auto& w : warnings) std::printf("%s: %s\n", argv[i], w.c_str());
            std::printf("%s: %s\n%s: failed to load\n", argv[i], e.what(), argv[i]);
            status = 1;
        }
    }
    return status;
}
