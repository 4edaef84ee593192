// The built-in scales: which MIDI note drives each organ output.
#pragma once

#include <array>

namespace solmir::score {

// The 29 notes of the base scale (27/29 notes), outputs 0 to 28.
inline constexpr std::array<int, 29> kBaseScale = {48, 50, 53, 55, 57, 60, 62, 64, 65, 66,
                                                   67, 68, 69, 70, 71, 72, 73, 74, 75, 76,
                                                   77, 78, 79, 80, 81, 82, 83, 84, 86};
// Outputs 0 to 12 of the 42-note scale (its outputs 16 to 44 are the base scale).
inline constexpr std::array<int, 13> k42Low = {49, 51, 52, 54, 56, 58, 59, 61, 63, 85, 87, 88, 89};
// The percussion scale (MIDI channel 10), laid out like the 42-note scale.
inline constexpr std::array<int, 13> kPercussionLow = {68, 69, 70, 71, 72, 73, 74,
                                                       75, 76, 77, 78, 79, 81};
inline constexpr std::array<int, 29> kPercussionHigh = {35, 36, 38, 39, 40, 41, 42, 43, 44, 45,
                                                        46, 47, 48, 49, 50, 51, 53, 54, 55, 56,
                                                        57, 59, 60, 61, 62, 63, 64, 66, 67};
// The value of an empty extra note in the 42-note and percussion scales: it never matches.
inline constexpr int kNoNote = 255;

}  // namespace solmir::score
