#pragma once

#include <string>
#include <string_view>

namespace albumora::test {

// Whole-body compression as servers send it for "Content-Encoding: gzip" and "deflate".
std::string GzipCompress(std::string_view data);
std::string ZlibCompress(std::string_view data);

}  // namespace albumora::test
