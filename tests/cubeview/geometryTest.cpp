#include "geometry.h"

#include <gtest/gtest.h>

namespace {

struct Geometry320x256 : ::testing::Test {
    ViewGeometry g;
    void SetUp() override { computeGeometry(320, 256, &g); }
    void expectCorners(int square, std::initializer_list<ViewPoint> corners) {
        int i = 0;
        for (const ViewPoint& p : corners) {
            EXPECT_EQ(p.x, g.squares[square].corners[i].x) << "square " << square << " " << i;
            EXPECT_EQ(p.y, g.squares[square].corners[i].y) << "square " << square << " " << i;
            ++i;
        }
    }
};

} // namespace

TEST_F(Geometry320x256, FontAndPenFollowTheHeight) {
    EXPECT_EQ(16, g.labelFontHeight);
    EXPECT_EQ(3, g.gridPenWidth);
}

// The lattice shows through the corners of the cells that sit on it.
TEST_F(Geometry320x256, ColumnsAndRowsOfBothFigures) {
    const int leftColumns[7] = {20, 42, 63, 85, 107, 128, 150};
    const int rightColumns[7] = {170, 192, 213, 235, 257, 278, 300};
    const int rows[13] = {16, 35, 53, 72, 91, 109, 128, 147, 165, 184, 203, 221, 240};
    // Left hexagon outline: (0,3) (3,0) (6,3) (6,9) (3,12) (0,9); the right one the same.
    const int outline[6][2] = {{0, 3}, {3, 0}, {6, 3}, {6, 9}, {3, 12}, {0, 9}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(leftColumns[outline[i][0]], g.grid[0][i].x);
        EXPECT_EQ(rows[outline[i][1]], g.grid[0][i].y);
    }
    // The right figure's first polyline starts at (0,9) and runs (0,3) (3,0) (6,3) ...
    for (int i = 0; i < 6; ++i) {
        const int(&p)[2] = outline[(i + 5) % 6];
        EXPECT_EQ(rightColumns[p[0]], g.grid[1][i].x);
        EXPECT_EQ(rows[p[1]], g.grid[1][i].y);
    }
}

TEST_F(Geometry320x256, CornersAndLabelsOfKnownSquares) {
    expectCorners(0, {{85, 128}, {107, 109}, {107, 147}, {85, 165}});
    EXPECT_EQ(96, g.squares[0].labelPoint.x);
    EXPECT_EQ(129, g.squares[0].labelPoint.y);
    expectCorners(45, {{235, 240}, {213, 221}, {235, 203}, {257, 221}});
    EXPECT_EQ(235, g.squares[45].labelPoint.x);
    EXPECT_EQ(213, g.squares[45].labelPoint.y);
    expectCorners(18, {{235, 16}, {257, 35}, {257, 72}, {235, 53}});
}

// Neighbouring cells share their corners, so each face is tiled without gaps: every face's
// nine cells together cover the face's outline exactly, corner to corner.
TEST(Geometry, CellsOfAFaceShareCorners) {
    ViewGeometry g;
    computeGeometry(500, 400, &g);
    for (int side = 0; side < 6; ++side) {
        const SquareShape* s = &g.squares[9 * side];
        // Position 0 then 1 along the first row: 0's second corner is 1's first.
        EXPECT_EQ(s[0].corners[1].x, s[1].corners[0].x) << side;
        EXPECT_EQ(s[0].corners[1].y, s[1].corners[0].y) << side;
        // The centre (8) sits below position 1 and above 5.
        EXPECT_EQ(s[1].corners[3].x, s[8].corners[0].x) << side;
        EXPECT_EQ(s[8].corners[3].y, s[5].corners[0].y) << side;
    }
}

TEST(Geometry, LowViewGetsTheThinnestPen) {
    ViewGeometry g;
    computeGeometry(60, 47, &g);
    EXPECT_EQ(0, g.gridPenWidth);
}
