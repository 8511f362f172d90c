#include "notation.h"

#include <cstring>

namespace {

const char SideLetters[] = "LRTUFB";

// Index in "LRTUFB", or -1. The NUL is not a letter even though strchr would find it.
int sideIndex(char ch) {
    if (ch == '\0') return -1;
    const char* found = std::strchr(SideLetters, ch);
    return found ? int(found - SideLetters) : -1;
}

} // namespace

// Spaces and commas separate moves; any other character that is not a side letter ends the
// text silently. The codes buffer needs room for allowance + 1 bytes (the end marker). A half
// turn that no longer fits the allowance is dropped whole rather than written half or past it.
uint32_t parseMoveText(MoveCode* codes, const char* text, uint32_t allowance) {
    if (allowance == 0) return 0;
    uint32_t count = 0;
    for (;;) {
        const char ch = *text;
        if (ch == ' ' || ch == ',') {
            ++text;
            continue;
        }
        const int side = sideIndex(ch);
        if (side < 0) break;
        ++text;
        const MoveCode clockwise = MoveCode(2 * side);
        if (*text == '"') {
            ++text;
            if (allowance < 2) break;
            codes[count++] = clockwise;
            codes[count++] = clockwise;
            if (allowance <= 2) break;
            allowance -= 2;
        } else {
            if (*text == '\'') {
                ++text;
                codes[count++] = clockwise + 1;
            } else {
                codes[count++] = clockwise;
            }
            if (--allowance == 0) break;
        }
    }
    codes[count] = EndOfMoves;
    return count;
}

// Equal neighbours print as one half turn, taken greedily from the left. The code after the
// last counted one is compared too (the list's end marker, or the next move of a longer list),
// so the list must be readable one byte past count. A code above 11 has no text form: the text
// stops before it. The output needs at most 3 x count + 1 bytes.
void formatMoveText(const MoveCode* codes, char* text, uint32_t count) {
    char* out = text;
    uint32_t i = 0;
    while (i < count) {
        const MoveCode code = codes[i];
        if (code >= MoveCodeCount) break;
        *out++ = SideLetters[code / 2];
        if (codes[i + 1] == code) {
            *out++ = '"';
            i += 2;
        } else {
            if (code & 1) *out++ = '\'';
            ++i;
        }
        *out++ = ',';
    }
    if (out != text) --out;
    *out = '\0';
}

// Only neighbours are compared and nothing is reordered: a move and its inverse cancel, three
// equal quarter turns become one the other way. Passes repeat while they shorten the list.
uint32_t optimizeMoves(MoveCode* codes, uint32_t count) {
    if (count == 0) return 0;
    for (;;) {
        uint32_t read = 0, kept = 0;
        while (read < count) {
            const MoveCode code = codes[read];
            const uint32_t left = count - read;
            if (left >= 2 && (code ^ codes[read + 1]) == 1) {
                read += 2;
            } else if (left >= 3 && codes[read + 1] == code && codes[read + 2] == code) {
                codes[kept++] = code ^ 1;
                read += 3;
            } else {
                codes[kept++] = code;
                ++read;
            }
        }
        codes[kept] = EndOfMoves;
        if (kept == 0 || kept >= count) return kept;
        count = kept;
    }
}
