// Where the 54 squares of a cube view lie for a given client size: plain arithmetic.
#pragma once

#include <cstdint>

enum : int {
    SquareCount = 54,
    GridPointCount = 29,
    GridPolylineCount = 8,
};

struct ViewPoint {
    int32_t x, y;
};

struct SquareShape {
    ViewPoint corners[4];
    ViewPoint labelPoint;
};

struct ViewGeometry {
    int32_t labelFontHeight;
    int32_t gridPenWidth;
    SquareShape squares[SquareCount];
    // The grid polylines of the left and the right figure, point counts in GridPolylineCounts.
    ViewPoint grid[2][GridPointCount];
};

extern const uint32_t GridPolylineCounts[GridPolylineCount];

void computeGeometry(int width, int height, ViewGeometry* out);
