#pragma once

#include <string>
#include <vector>

namespace albumora::test {

// The three PEM files of a throw-away certificate authority and the one server it vouches for.
struct TestCertificates {
    std::string caPath;    // the authority's certificate: what a client trusts (CURL_CA_BUNDLE)
    std::string certPath;  // the server's certificate, signed by the authority
    std::string keyPath;   // the server's private key
};

// Makes a fresh authority and a server certificate for `hostNames` (wildcards such as "*.huaban.com"
// allowed) and for 127.0.0.1, valid from an hour ago for 30 days, and writes the three files into
// `folder`, which must exist. Throws std::runtime_error on failure.
TestCertificates MakeTestCertificates(const std::string& folder, const std::vector<std::string>& hostNames);

}  // namespace albumora::test
