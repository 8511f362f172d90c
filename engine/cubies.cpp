#include "cubies.h"
#include "moveTable.h"

#include <cstring>
#include <utility>

namespace {

constexpr int Squares = 48;

// Where move m takes the value at each square.
void squareDestinations(MoveCode m, uint8_t* to) {
    for (int p = 0; p < Squares; ++p)
        to[p] = uint8_t(p);
    const MoveShape& shape = MoveShapes[m];
    for (const ByteCycle& c : shape.neighbours) {
        to[c.a] = c.b;
        to[c.b] = c.c;
        to[c.c] = c.d;
        to[c.d] = c.a;
    }
    const int base = 8 * shape.turnedSide;
    for (int k = 0; k < 8; ++k)
        to[base + k] = uint8_t(base + (k + (shape.clockwise ? 2 : 6)) % 8);
}

bool onTopOrUnderside(int square) {
    return square / 8 == SideT || square / 8 == SideU;
}

bool onFrontOrBack(int square) {
    return square / 8 == SideF || square / 8 == SideB;
}

CubieModel buildModel() {
    CubieModel model{};
    uint8_t to[MoveCodeCount][Squares];
    for (MoveCode m = 0; m < MoveCodeCount; ++m)
        squareDestinations(m, to[m]);
    // A square belongs to the piece that the same set of sides turns.
    uint32_t turnedBy[Squares] = {};
    for (MoveCode m = 0; m < MoveCodeCount; ++m)
        for (int p = 0; p < Squares; ++p)
            if (to[m][p] != p || p / 8 == MoveShapes[m].turnedSide) turnedBy[p] |= 1u << (m / 2);
    int cornerSlotOf[Squares], edgeSlotOf[Squares];
    uint32_t cornerMask[CornerCount], edgeMask[EdgeCount];
    int corners = 0, edges = 0, filled[EdgeCount] = {};
    int cornerFilled[CornerCount] = {};
    for (int p = 0; p < Squares; ++p) {
        const bool corner = p % 2 == 0;
        uint32_t* masks = corner ? cornerMask : edgeMask;
        int& count = corner ? corners : edges;
        int slot = 0;
        while (slot < count && masks[slot] != turnedBy[p])
            ++slot;
        if (slot == count) masks[count++] = turnedBy[p];
        if (corner) {
            cornerSlotOf[p] = slot;
            model.cornerSquares[slot][cornerFilled[slot]++] = uint8_t(p);
        } else {
            edgeSlotOf[p] = slot;
            model.edgeSquares[slot][filled[slot]++] = uint8_t(p);
        }
    }
    for (auto& e : model.edgeSquares)
        if (!onTopOrUnderside(e[0]) && (onTopOrUnderside(e[1]) || onFrontOrBack(e[1])))
            std::swap(e[0], e[1]);
    // The first corner's order is chosen; every other follows from the moves, which keep the
    // handedness of the squares' order.
    bool known[CornerCount] = {};
    auto rotateTopFirst = [](uint8_t* s) {
        while (!onTopOrUnderside(s[0])) {
            const uint8_t first = s[0];
            s[0] = s[1];
            s[1] = s[2];
            s[2] = first;
        }
    };
    rotateTopFirst(model.cornerSquares[0]);
    known[0] = true;
    for (bool grew = true; grew;) {
        grew = false;
        for (int s = 0; s < int(CornerCount); ++s) {
            if (!known[s]) continue;
            for (MoveCode m = 0; m < MoveCodeCount; ++m) {
                const uint8_t* from = model.cornerSquares[s];
                const int t = cornerSlotOf[to[m][from[0]]];
                if (known[t]) continue;
                uint8_t* image = model.cornerSquares[t];
                for (int i = 0; i < 3; ++i)
                    image[i] = to[m][from[i]];
                rotateTopFirst(image);
                known[t] = grew = true;
            }
        }
    }
    for (MoveCode m = 0; m < MoveCodeCount; ++m) {
        for (int s = 0; s < int(CornerCount); ++s) {
            const uint8_t landed = to[m][model.cornerSquares[s][0]];
            const int t = cornerSlotOf[landed];
            model.cornerTo[m][s] = uint8_t(t);
            for (uint8_t i = 0; i < 3; ++i)
                if (model.cornerSquares[t][i] == landed) model.cornerTwist[m][s] = i;
        }
        for (int s = 0; s < int(EdgeCount); ++s) {
            const uint8_t landed = to[m][model.edgeSquares[s][0]];
            const int t = edgeSlotOf[landed];
            model.edgeTo[m][s] = uint8_t(t);
            model.edgeFlip[m][s] = model.edgeSquares[t][0] == landed ? 0 : 1;
        }
    }
    return model;
}

// Depth-first placement of pieces into slots with the colours of `to`, remembering which
// (pieces used, orientation sum, parity) situations have no completion. Pieces placed in slot
// order add to the parity the pieces already used that are greater.
struct Matcher {
    const PackedCube* reference;
    const PackedCube* to;
    int count;
    int turns;
    const uint8_t (*squares)[3];
    int width;
    uint8_t* dead;
    uint8_t piece[EdgeCount];
    uint8_t orientation[EdgeCount];

    bool fits(int slot, int p, int o) const {
        for (int i = 0; i < width; ++i)
            if (to->bytes[squares[slot][(i + o) % turns]] != reference->bytes[squares[p][i]])
                return false;
        return true;
    }

    bool place(int slot, uint32_t used, int sum, int parity, int wanted) {
        if (slot == count) return sum == 0 && parity == wanted;
        uint8_t& mark = dead[(used * turns + sum) * 2 + parity];
        if (mark) return false;
        for (int p = 0; p < count; ++p) {
            if (used >> p & 1) continue;
            const int above = __builtin_popcount(used >> (p + 1));
            for (int o = 0; o < turns; ++o) {
                if (!fits(slot, p, o)) continue;
                piece[slot] = uint8_t(p);
                orientation[slot] = uint8_t(o);
                if (place(slot + 1, used | 1u << p, (sum + o) % turns, (parity + above) & 1,
                          wanted))
                    return true;
            }
        }
        mark = 1;
        return false;
    }
};

// Returns the parities that fit; the pieces and orientations of each witness go to out.
uint8_t matchPieces(const PackedCube& reference, const PackedCube& to, int count, int turns,
                    const uint8_t (*squares)[3], int width, uint8_t (*pieceOut)[EdgeCount],
                    uint8_t (*orientationOut)[EdgeCount]) {
    static_assert(EdgeCount >= CornerCount, "room for either kind");
    uint8_t parities = 0;
    for (int wanted = 0; wanted < 2; ++wanted) {
        uint8_t dead[(1 << EdgeCount) * 3 * 2] = {};
        Matcher matcher{&reference, &to, count, turns, squares, width, dead, {}, {}};
        if (!matcher.place(0, 0, 0, 0, wanted)) continue;
        parities |= uint8_t(1 << wanted);
        std::memcpy(pieceOut[wanted], matcher.piece, EdgeCount);
        std::memcpy(orientationOut[wanted], matcher.orientation, EdgeCount);
    }
    return parities;
}

} // namespace

const CubieModel& cubieModel() {
    static const CubieModel model = buildModel();
    return model;
}

CubieState identityCubies() {
    CubieState s{};
    for (uint8_t i = 0; i < CornerCount; ++i)
        s.corner[i] = i;
    for (uint8_t i = 0; i < EdgeCount; ++i)
        s.edge[i] = i;
    return s;
}

void applyMoveToCubies(CubieState* state, MoveCode move) {
    const CubieModel& model = cubieModel();
    CubieState next;
    for (int s = 0; s < int(CornerCount); ++s) {
        const int t = model.cornerTo[move][s];
        next.corner[t] = state->corner[s];
        next.twist[t] = uint8_t((state->twist[s] + model.cornerTwist[move][s]) % 3);
    }
    for (int s = 0; s < int(EdgeCount); ++s) {
        const int t = model.edgeTo[move][s];
        next.edge[t] = state->edge[s];
        next.flip[t] = state->flip[s] ^ model.edgeFlip[move][s];
    }
    *state = next;
}

PackedCube colourAs(const PackedCube& reference, const CubieState& pieces) {
    const CubieModel& model = cubieModel();
    PackedCube out{};
    for (int s = 0; s < int(CornerCount); ++s)
        for (int i = 0; i < 3; ++i)
            out.bytes[model.cornerSquares[s][(i + pieces.twist[s]) % 3]] =
                reference.bytes[model.cornerSquares[pieces.corner[s]][i]];
    for (int s = 0; s < int(EdgeCount); ++s)
        for (int i = 0; i < 2; ++i)
            out.bytes[model.edgeSquares[s][(i + pieces.flip[s]) % 2]] =
                reference.bytes[model.edgeSquares[pieces.edge[s]][i]];
    return out;
}

CubieMatch matchCubies(const PackedCube& reference, const PackedCube& to) {
    const CubieModel& model = cubieModel();
    uint8_t edgeSquares[EdgeCount][3];
    for (int s = 0; s < int(EdgeCount); ++s) {
        edgeSquares[s][0] = model.edgeSquares[s][0];
        edgeSquares[s][1] = model.edgeSquares[s][1];
        edgeSquares[s][2] = 0;
    }
    CubieMatch match;
    uint8_t piece[2][EdgeCount], orientation[2][EdgeCount];
    match.cornerParities =
        matchPieces(reference, to, CornerCount, 3, model.cornerSquares, 3, piece, orientation);
    for (int w = 0; w < 2; ++w) {
        std::memcpy(match.witness[w].corner, piece[w], CornerCount);
        std::memcpy(match.witness[w].twist, orientation[w], CornerCount);
    }
    match.edgeParities =
        matchPieces(reference, to, EdgeCount, 2, edgeSquares, 2, piece, orientation);
    for (int w = 0; w < 2; ++w) {
        std::memcpy(match.witness[w].edge, piece[w], EdgeCount);
        std::memcpy(match.witness[w].flip, orientation[w], EdgeCount);
    }
    return match;
}

namespace {

// The piece of the assembled cube that slot s shows, and how far it is turned; false when the
// slot's colours are no piece's.
bool pieceIn(const PackedCube& state, const uint8_t* slot, const uint8_t (*pieces)[3], int count,
             int turns, int* piece, int* turn) {
    for (int p = 0; p < count; ++p)
        for (int o = 0; o < turns; ++o) {
            bool fits = true;
            for (int i = 0; i < turns && fits; ++i)
                fits = state.bytes[slot[(i + o) % turns]] == SolvedCube.bytes[pieces[p][i]];
            if (fits) {
                *piece = p;
                *turn = o;
                return true;
            }
        }
    return false;
}

// The pieces' parity, or -1 when a slot's colours are no piece or a piece shows twice.
int placeKind(const PackedCube& state, const uint8_t (*squares)[3], int count, int turns,
              int* turnSum) {
    int placed[EdgeCount];
    uint32_t used = 0;
    for (int s = 0; s < count; ++s) {
        int turn = 0;
        if (!pieceIn(state, squares[s], squares, count, turns, &placed[s], &turn) ||
            (used >> placed[s] & 1))
            return -1;
        used |= 1u << placed[s];
        *turnSum += turn;
    }
    int inversions = 0;
    for (int i = 0; i < count; ++i)
        for (int j = i + 1; j < count; ++j)
            inversions += placed[i] > placed[j];
    return inversions % 2;
}

} // namespace

Unreachable whyUnreachable(const PackedCube& state) {
    const CubieModel& model = cubieModel();
    uint8_t edgeSquares[EdgeCount][3];
    for (uint32_t e = 0; e < EdgeCount; ++e)
        edgeSquares[e][0] = model.edgeSquares[e][0], edgeSquares[e][1] = model.edgeSquares[e][1];
    int twist = 0, flip = 0;
    const int corners = placeKind(state, model.cornerSquares, CornerCount, 3, &twist);
    const int edges = placeKind(state, edgeSquares, EdgeCount, 2, &flip);
    if (corners < 0 || edges < 0) return Unreachable::Pieces;
    if (twist % 3) return Unreachable::Twist;
    if (flip % 2) return Unreachable::Flip;
    return corners == edges ? Unreachable::None : Unreachable::Parity;
}
