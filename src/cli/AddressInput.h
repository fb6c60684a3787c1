#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/text/WideText.h"

namespace albumora::cli {

// One address a command works through, and the line of the input file it stands on.
struct ListedAddress {
    int line = 0;  // 0: given on the command line
    WString address;
};

// The addresses of an input file ("-": standard input): one a line, surrounding blanks trimmed,
// blank lines and lines starting with '#' left out. Nullopt, with the reason told, when the file
// cannot be read or holds no address.
std::optional<std::vector<ListedAddress>> ReadAddressFile(const std::string& path);

// "第3行 " for an address of an input file; empty for the one given on the command line.
std::string LineLabel(const ListedAddress& listed);

// Says why an address cannot be listed, naming its line of the input file when it has one; true
// when it can.
bool CheckAddress(const ListedAddress& listed);

// The addresses a command works through: `address`, or those of `inputFile` when given. Nullopt,
// with the reason told, when the file cannot be read or the one address given cannot be listed.
std::optional<std::vector<ListedAddress>> AddressesOf(const WString& address,
                                                      const std::optional<std::string>& inputFile);

}  // namespace albumora::cli
