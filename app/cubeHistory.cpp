#include "cubeHistory.h"
#include "../shell/shell.h"
#include "../cubeview/cubeView.h"

#include <cstring>
#include <new>
#include <vector>

namespace {

enum : size_t {
    MaxSteps = 1000, // 96 KB of states
};

struct Cubes {
    PackedCube source, destination;
};

struct CubeHistory {
    std::vector<Cubes> undo, redo;
    Cubes current;
};

CubeHistory History; // user-interface thread only

Cubes cubesNow() {
    Cubes now;
    SendMessageA(App.sourceView, CCM_GETSTATE, 0, reinterpret_cast<LPARAM>(&now.source));
    SendMessageA(App.destinationView, CCM_GETSTATE, 0, reinterpret_cast<LPARAM>(&now.destination));
    return now;
}

bool same(const Cubes& a, const Cubes& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Without memory for one more step the oldest ones go first, then the change is simply not
// undoable: the cubes themselves are never held back.
void push(std::vector<Cubes>* steps, const Cubes& cubes) {
    if (steps->size() >= MaxSteps) steps->erase(steps->begin());
    try {
        steps->push_back(cubes);
    } catch (const std::bad_alloc&) {
    }
}

void step(std::vector<Cubes>* from, std::vector<Cubes>* to) {
    noteCubeChange();
    if (from->empty()) return;
    push(to, History.current);
    History.current = from->back();
    from->pop_back();
    SendMessageA(App.sourceView, CCM_SETSTATE, 1,
                 reinterpret_cast<LPARAM>(&History.current.source));
    SendMessageA(App.destinationView, CCM_SETSTATE, 1,
                 reinterpret_cast<LPARAM>(&History.current.destination));
}

} // namespace

void startCubeHistory() {
    History.undo.clear();
    History.redo.clear();
    History.current = cubesNow();
}

void noteCubeChange() {
    const Cubes now = cubesNow();
    if (same(now, History.current)) return;
    push(&History.undo, History.current);
    History.redo.clear();
    History.current = now;
}

void undoCubeChange() {
    step(&History.undo, &History.redo);
}

void redoCubeChange() {
    step(&History.redo, &History.undo);
}
