#include "geometry.h"

#include <cmath>

const uint32_t GridPolylineCounts[GridPolylineCount] = {9, 2, 3, 3, 3, 3, 3, 3};

namespace {

struct Lattice {
    int8_t k, j;
};

// Each face in lattice units: figure (0 left, 1 right), origin, column step, row step.
struct FaceLayout {
    int figure;
    Lattice origin, column, row;
};

// Sides in "FRBLTU" order. The left figure shows T, L and F from above, the right figure R, B
// and U from below, so all six sides are visible together.
const FaceLayout Faces[6] = {
    {0, {3, 6}, {1, -1}, {0, 2}},    // F
    {1, {0, 3}, {1, -1}, {0, 2}},    // R
    {1, {3, 0}, {1, 1}, {0, 2}},     // B
    {0, {0, 3}, {1, 1}, {0, 2}},     // L
    {0, {0, 3}, {1, -1}, {1, 1}},    // T
    {1, {3, 12}, {-1, -1}, {1, -1}}, // U
};

// Row and column of each position on its face; position 8 is the centre.
const Lattice Cells[9] = {{0, 0}, {0, 1}, {0, 2}, {1, 2}, {2, 2}, {2, 1}, {2, 0}, {1, 0}, {1, 1}};

const Lattice GridLines[2][GridPointCount] = {
    {{0, 3}, {3, 0}, {6, 3},  {6, 9},  {3, 12}, {0, 9}, {0, 3},  {3, 6},  {3, 12}, {3, 6},
     {6, 3}, {4, 1}, {1, 4},  {1, 10}, {5, 2},  {2, 5}, {2, 11}, {2, 1},  {5, 4},  {5, 10},
     {1, 2}, {4, 5}, {4, 11}, {0, 5},  {3, 8},  {6, 5}, {0, 7},  {3, 10}, {6, 7}},
    {{0, 9}, {0, 3}, {3, 0},  {6, 3}, {6, 9}, {3, 12}, {0, 9}, {3, 6}, {3, 0}, {6, 9},
     {3, 6}, {6, 5}, {3, 2},  {0, 5}, {0, 7}, {3, 4},  {6, 7}, {1, 2}, {1, 8}, {4, 11},
     {2, 1}, {2, 7}, {5, 10}, {4, 1}, {4, 7}, {1, 10}, {5, 2}, {5, 8}, {2, 11}},
};

int32_t nearest(double v) {
    return int32_t(std::floor(v + 0.5));
}

} // namespace

// Two hexagons, each a 7 x 13 lattice of columns and rows; the right one is anchored to the
// right margin, so rounding leaves the gap between them about one margin wide.
void computeGeometry(int width, int height, ViewGeometry* out) {
    const double mx = width / 16.0, my = height / 16.0;
    out->labelFontHeight = nearest(height / 16.0);
    out->gridPenWidth = nearest(height / 96.0);
    const int32_t xL = nearest(mx), yT = nearest(my), yB = nearest(height - my);
    const double xr = width - mx;
    const int32_t xR = nearest(xr);
    const double cw = (xr - xL - mx) / 2 / 6;
    const double rh = (yB - yT) / 12.0;

    auto pixel = [&](int figure, int k, int j) {
        const int32_t x = figure == 0 ? nearest(xL + k * cw) : nearest(xR - (6 - k) * cw);
        return ViewPoint{x, nearest(yT + j * rh)};
    };

    for (int side = 0; side < 6; ++side) {
        const FaceLayout& f = Faces[side];
        for (int position = 0; position < 9; ++position) {
            const int r = Cells[position].k, c = Cells[position].j;
            const int steps[4][2] = {{c, r}, {c + 1, r}, {c + 1, r + 1}, {c, r + 1}};
            SquareShape& sq = out->squares[9 * side + position];
            for (int i = 0; i < 4; ++i) {
                const int k = f.origin.k + steps[i][0] * f.column.k + steps[i][1] * f.row.k;
                const int j = f.origin.j + steps[i][0] * f.column.j + steps[i][1] * f.row.j;
                sq.corners[i] = pixel(f.figure, k, j);
            }
            int32_t minX = sq.corners[0].x, maxX = minX, minY = sq.corners[0].y, maxY = minY;
            for (const ViewPoint& p : sq.corners) {
                if (p.x < minX) minX = p.x;
                if (p.x > maxX) maxX = p.x;
                if (p.y < minY) minY = p.y;
                if (p.y > maxY) maxY = p.y;
            }
            // Centres a line of the label font's height on the cell.
            sq.labelPoint = {(minX + maxX) / 2, (minY + maxY - out->labelFontHeight) / 2};
        }
    }
    for (int figure = 0; figure < 2; ++figure)
        for (int i = 0; i < GridPointCount; ++i)
            out->grid[figure][i] = pixel(figure, GridLines[figure][i].k, GridLines[figure][i].j);
}
