// Small picture files of each kind the image control reads, as bytes.
#pragma once

#include <string>

namespace brivet::contract {

enum class PictureKind { Bitmap, Jpeg, Gif, Icon };

// The whole file: a few pixels of one colour.
std::string SamplePicture(PictureKind kind);

}  // namespace brivet::contract
