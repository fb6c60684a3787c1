#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "albumora-cli: download whole picture albums from Huaban and Duitang\n"
    "\n"
    "Usage: albumora-cli [--settings-dir DIR] COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  help        show this text\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0 ||
        std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::fprintf(stderr, "albumora-cli: unknown command '%s'\n\n%s", argv[1], kUsage);
    return 2;
}
