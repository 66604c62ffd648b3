#pragma once

#include <string>

// The reference for the time of a load: each format's library decoding
// every row of a file at full size into one row's buffer, the same
// conversions asked for as the loader asks, and nothing kept or shrunk.
namespace PlainDecode {

bool Png(const std::string& path);
bool Jpeg(const std::string& path);
bool Tiff(const std::string& path);

}  // namespace PlainDecode
