#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// What the picture targets share: each input written to a file and read
// back the way the program reads the files it is given.
namespace FuzzPictureFile {

// Sets a picture target up: libFuzzer's memory limits from the decoder's
// own bound (`boundMB`: one picture may take it all, and the process needs
// room beside it for itself and the sanitizer's shadow and quarantine), Qt
// on its offscreen platform and quiet, and an application for decoders that
// draw text. The file's path, in a directory of its own, in memory where
// the system offers it.
QString Start(int* argc, char*** argv, int boundMB, const QString& fileName);

// The bytes as the whole file; whether they all went.
bool Write(const QString& path, const std::uint8_t* data, std::size_t size);

[[noreturn]] void Fail(const char* target, const char* what);

}  // namespace FuzzPictureFile
