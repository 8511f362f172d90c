#include "standardNotation.h"

#include <cstring>

namespace {

// This program's sides, "FRBLTU" order, as standard faces.
const char StandardOfSide[] = "FRBLUD";
// The standard face of each move code's side, "LRTUFB" order.
const char StandardOfCode[] = "LRUDFB";
// Standard faces, "URFDLB" order, as this program's sides.
const char FaceOrder[] = "URFDLB";
const int SideOfFace[6] = {4, 1, 0, 5, 3, 2};
// This program's clockwise code of each standard face letter, "URFDLB" order.
const MoveCode CodeOfFace[6] = {4, 2, 8, 6, 0, 10};
// Row and column of each of a side's positions 0 to 7, clockwise from the top-left corner.
const int RowOf[8] = {0, 0, 0, 1, 2, 2, 2, 1};
const int ColumnOf[8] = {0, 1, 2, 2, 2, 1, 0, 0};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int faceIndex(char c) {
    const char* found = c ? std::strchr(FaceOrder, c) : nullptr;
    return found ? int(found - FaceOrder) : -1;
}

const char* tokenEnd(const char* p) {
    while (*p && !isBlank(*p))
        ++p;
    return p;
}

} // namespace

StandardMoves parseStandardMoves(const char* text) {
    StandardMoves result;
    for (const char* p = text; *p;) {
        if (isBlank(*p)) {
            ++p;
        } else if (p[0] == '/' && p[1] == '/') {
            while (*p && *p != '\n')
                ++p;
        } else {
            const int face = faceIndex(*p);
            const char* next = p + 1;
            bool half = false, counter = false;
            if (*next == '2') half = true, ++next;
            if (*next == '\'') counter = true, ++next;
            // A letter may be followed directly by the next move, but by nothing else.
            if (face < 0 || !(*next == '\0' || isBlank(*next) || faceIndex(*next) >= 0 ||
                              (next[0] == '/' && next[1] == '/'))) {
                result.codes.clear();
                result.refused.assign(p, tokenEnd(p));
                return result;
            }
            const MoveCode code = CodeOfFace[face];
            if (half) {
                result.codes.push_back(code);
                result.codes.push_back(code);
            } else {
                result.codes.push_back(MoveCode(code + (counter ? 1 : 0)));
            }
            p = next;
        }
    }
    return result;
}

std::string formatStandardMoves(const MoveCode* codes, uint32_t count) {
    std::string text;
    for (uint32_t i = 0; i < count; ++i) {
        if (!text.empty()) text += ' ';
        text += StandardOfCode[codes[i] / 2];
        if (i + 1 < count && codes[i + 1] == codes[i]) {
            text += '2';
            ++i;
        } else if (codes[i] % 2) {
            text += '\'';
        }
    }
    return text;
}

std::string faceletsOf(const PackedCube& cube) {
    std::string facelets(54, '?');
    for (int face = 0; face < 6; ++face) {
        const int side = SideOfFace[face];
        facelets[9 * face + 4] = FaceOrder[face];
        for (int k = 0; k < 8; ++k) {
            const uint8_t colour = cube.bytes[8 * side + k];
            if (colour >= 6) return std::string();
            facelets[9 * face + 3 * RowOf[k] + ColumnOf[k]] = StandardOfSide[colour];
        }
    }
    return facelets;
}

FaceletFault cubeFromFacelets(const std::string& facelets, PackedCube* cube) {
    if (facelets.size() != 54) return FaceletFault::Length;
    for (char c : facelets)
        if (faceIndex(c) < 0) return FaceletFault::Letter;
    for (int face = 0; face < 6; ++face)
        if (facelets[9 * face + 4] != FaceOrder[face]) return FaceletFault::Centres;
    for (int face = 0; face < 6; ++face)
        for (int k = 0; k < 8; ++k) {
            const char letter = facelets[9 * face + 3 * RowOf[k] + ColumnOf[k]];
            cube->bytes[8 * SideOfFace[face] + k] = uint8_t(SideOfFace[faceIndex(letter)]);
        }
    return FaceletFault::None;
}
