#include "cubeletEdits.h"

namespace {

constexpr int32_t at(char side, int position) {
    int s = 0;
    while (StateSideLetters[s] != side)
        ++s;
    return 9 * s + position;
}

// Each corner's squares in clockwise order, seen from outside the cube at that corner.
constexpr int32_t CornerTriples[8][3] = {
    {at('T', 6), at('F', 0), at('L', 2)}, {at('T', 4), at('R', 0), at('F', 2)},
    {at('R', 6), at('U', 2), at('F', 4)}, {at('F', 6), at('U', 0), at('L', 4)},
    {at('T', 2), at('B', 0), at('R', 2)}, {at('B', 6), at('U', 4), at('R', 4)},
    {at('T', 0), at('L', 0), at('B', 2)}, {at('L', 6), at('U', 6), at('B', 4)},
};

constexpr int32_t EdgePairs[12][2] = {
    {at('F', 1), at('T', 5)}, {at('F', 3), at('R', 7)}, {at('F', 5), at('U', 1)},
    {at('F', 7), at('L', 3)}, {at('R', 1), at('T', 3)}, {at('R', 3), at('B', 7)},
    {at('R', 5), at('U', 3)}, {at('B', 1), at('T', 1)}, {at('B', 3), at('L', 7)},
    {at('B', 5), at('U', 5)}, {at('L', 1), at('T', 7)}, {at('L', 5), at('U', 7)},
};

constexpr CubeletRows buildTable() {
    CubeletRows t{};
    for (int i = 0; i < 54; ++i)
        t.rows[i] = {uint8_t(i / 9), 0, 0, {-1, -1}};
    for (const auto& corner : CornerTriples) {
        for (int slot = 0; slot < 3; ++slot) {
            CubeletEntry& row = t.rows[corner[slot]];
            row.partnerCount = 2;
            row.cornerSlot = uint8_t(slot);
            int n = 0;
            for (int other = 0; other < 3; ++other)
                if (other != slot) row.partners[n++] = corner[other];
        }
    }
    for (const auto& edge : EdgePairs) {
        t.rows[edge[0]].partnerCount = 1;
        t.rows[edge[0]].partners[0] = edge[1];
        t.rows[edge[1]].partnerCount = 1;
        t.rows[edge[1]].partners[0] = edge[0];
    }
    return t;
}

// The corner's triple in clockwise order, whichever of its squares is named.
void cornerTriple(int square, int32_t triple[3]) {
    const CubeletEntry& row = CubeletTable.rows[square];
    int n = 0;
    for (int slot = 0; slot < 3; ++slot)
        triple[slot] = slot == row.cornerSlot ? square : row.partners[n++];
}

} // namespace

const CubeletRows CubeletTable = buildTable();

const uint8_t SideTurnCodes[6] = {8, 2, 10, 0, 4, 6};

// For a centre (position 8) the ring position is n itself.
int squareAlongRing(int square, int n) {
    const int side = square / 9, position = square % 9;
    const int base = position == 8 ? 0 : position;
    return 9 * side + ((base + n) % 8 + 8) % 8;
}

// The distance clockwise along the side's ring decides: 1 to 3 places a quarter turn, 4 a half
// turn, 5 to 7 a quarter turn back.
bool sideTurnForDrag(int from, int to, SideTurn* turn) {
    if (from / 9 != to / 9 || from == to || from % 9 == 8 || to % 9 == 8) return false;
    const int d = ((to % 9 - from % 9) % 8 + 8) % 8;
    *turn = {from / 9, d >= 5, d == 4};
    return true;
}

bool rotateCubeletColors(uint32_t colors[54], int square, bool clockwise) {
    const CubeletEntry& row = CubeletTable.rows[square];
    if (row.partnerCount == 2) {
        int32_t t[3];
        cornerTriple(square, t);
        const uint32_t first = colors[t[0]], second = colors[t[1]], third = colors[t[2]];
        if (clockwise) {
            colors[t[1]] = first;
            colors[t[2]] = second;
            colors[t[0]] = third;
        } else {
            colors[t[2]] = first;
            colors[t[1]] = third;
            colors[t[0]] = second;
        }
        return true;
    }
    if (row.partnerCount == 1) {
        const uint32_t keep = colors[square];
        colors[square] = colors[row.partners[0]];
        colors[row.partners[0]] = keep;
        return true;
    }
    return false;
}

// The two cubelets change places, each keeping its clockwise order, so that the colour of
// from lands on to and the colour of to on from. All colours are read before any is written.
bool moveCubeletColors(uint32_t colors[54], int from, int to) {
    const CubeletEntry& s = CubeletTable.rows[from];
    const CubeletEntry& t = CubeletTable.rows[to];
    if (s.partnerCount != t.partnerCount || s.partnerCount == 0) return false;
    if (s.partnerCount == 2) {
        int32_t a[3], b[3];
        cornerTriple(from, a);
        cornerTriple(to, b);
        uint32_t oldA[3], oldB[3];
        for (int m = 0; m < 3; ++m) {
            oldA[m] = colors[a[m]];
            oldB[m] = colors[b[m]];
        }
        const int delta = ((t.cornerSlot - s.cornerSlot) % 3 + 3) % 3;
        for (int m = 0; m < 3; ++m)
            colors[b[(m + delta) % 3]] = oldA[m];
        for (int m = 0; m < 3; ++m)
            colors[a[(m - delta + 3) % 3]] = oldB[m];
        return true;
    }
    const int fromPartner = s.partners[0], toPartner = t.partners[0];
    const uint32_t oldFrom = colors[from], oldFromPartner = colors[fromPartner];
    const uint32_t oldTo = colors[to], oldToPartner = colors[toPartner];
    colors[to] = oldFrom;
    colors[toPartner] = oldFromPartner;
    colors[from] = oldTo;
    colors[fromPartner] = oldToPartner;
    return true;
}
