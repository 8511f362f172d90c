// The notation cubers use: R U F L D B, ' for counter-clockwise, 2 (or 2') for a half turn, and
// the 54-letter facelet string. Up is this program's top (T) and down its underside (U); front,
// right, back and left are the same sides, and clockwise means the same in both.
#pragma once

#include "packedCube.h"

#include <string>
#include <vector>

// Moves read from standard notation, or the first token this program's fixed centres cannot
// turn (a wide turn, a slice, a rotation, anything else), with codes then left empty.
struct StandardMoves {
    std::vector<MoveCode> codes;
    std::string refused;
};

// Moves are separated by blanks, line breaks or nothing; "//" comments run to the line's end.
StandardMoves parseStandardMoves(const char* text);
// Space-separated; two equal codes in a row are one half turn.
std::string formatStandardMoves(const MoveCode* codes, uint32_t count);

enum class FaceletFault {
    None,
    Length,  // not 54 letters
    Letter,  // a character other than U R F D L B
    Centres, // a face's middle letter is not its own
};

// Faces in the order U R F D L B, each read row by row as seen from outside, laid out as the
// usual net: U above F, its bottom row against F; L F R B in a row; D below F, its top row
// against F. Each square's letter names the face whose centre shows its colour. Empty for a
// state with a colour index outside the six sides'.
std::string faceletsOf(const PackedCube& cube);
FaceletFault cubeFromFacelets(const std::string& facelets, PackedCube* cube);
