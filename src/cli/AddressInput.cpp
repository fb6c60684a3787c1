#include "cli/AddressInput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "cli/TerminalView.h"
#include "core/workflow/Messages.h"

namespace albumora::cli {

std::optional<std::vector<ListedAddress>> ReadAddressFile(const std::string& path) {
    std::ifstream file;
    std::istream* in = &std::cin;
    const bool standardInput = path == "-";
    // A closed standard input reads as empty; a job whose list generator died must not look done.
    if (standardInput && ::fcntl(STDIN_FILENO, F_GETFD) < 0) {
        std::fprintf(stderr, "albumora-cli: cannot read standard input: %s\n", std::strerror(errno));
        return std::nullopt;
    }
    if (!standardInput) {
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            std::fprintf(stderr, "albumora-cli: cannot read %s: it is a folder\n", path.c_str());
            return std::nullopt;
        }
        file.open(path);
        if (!file) {
            std::fprintf(stderr, "albumora-cli: cannot read %s: %s\n", path.c_str(), std::strerror(errno));
            return std::nullopt;
        }
        in = &file;
    }
    std::vector<ListedAddress> addresses;
    int number = 0;
    for (std::string line; std::getline(*in, line);) {
        ++number;
        WString text = Trimmed(FromUtf8(line));
        // An editor's byte order mark is no part of the first address.
        if (number == 1 && !text.empty() && text.front() == u'\uFEFF') {
            text = Trimmed(WStringView(text).substr(1));
        }
        if (!text.empty() && text.front() != u'#') {
            addresses.push_back({number, std::move(text)});
        }
    }
    const char* name = standardInput ? "standard input" : path.c_str();
    if (in->bad() || (standardInput && std::ferror(stdin) != 0)) {
        std::fprintf(stderr, "albumora-cli: cannot read %s\n", name);
        return std::nullopt;
    }
    if (addresses.empty()) {
        std::fprintf(stderr, "albumora-cli: %s holds no address\n", name);
        return std::nullopt;
    }
    return addresses;
}

std::string LineLabel(const ListedAddress& listed) {
    return listed.line > 0 ? "第" + std::to_string(listed.line) + "行 " : std::string();
}

bool CheckAddress(const ListedAddress& listed) {
    const WStringView problem = AddressProblem(listed.address);
    if (problem.empty()) {
        return true;
    }
    if (listed.line > 0) {
        std::fprintf(stderr, "第%d行（%s）：%s\n", listed.line, Printable(listed.address).c_str(),
                     Printable(ShownText(problem)).c_str());
    } else {
        std::fprintf(stderr, "%s\n", Printable(ShownText(problem)).c_str());
    }
    return false;
}

std::optional<std::vector<ListedAddress>> AddressesOf(const WString& address,
                                                      const std::optional<std::string>& inputFile) {
    if (inputFile) {
        return ReadAddressFile(*inputFile);
    }
    const ListedAddress given{0, address};
    if (!CheckAddress(given)) {
        return std::nullopt;
    }
    return std::vector<ListedAddress>{given};
}

}  // namespace albumora::cli
