#pragma once

#include <cstdint>

// The format code of a save job.
enum class TSaveFormat : std::uint8_t { sfBMP = 0, sfJPEG = 1, sfPNG = 2 };
