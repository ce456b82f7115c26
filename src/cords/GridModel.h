#pragma once

#include "engine/Model.h"

#include <cstddef>
#include <cstdint>

namespace ZQ {

// A uniform grid of cubes two world units on a side over the cord's bounding
// box, rebuilt every frame, that files every cord particle under the cell it
// lies in. Its one reader is the heads' sight test, which walks it cell by
// cell; the grid steps after the head model, so the heads always walk the grid
// of the previous frame.
//
// Coordinates are the cord model's, that is pixels. Between levels (a cord of
// no particles) the last table stays as it was. Main thread only; the model
// owns the cell table, the particle-cell array and the runs the cells' lists
// point into. A rebuild reuses the table it has when the new grid fits in it,
// so a frame allocates nothing once the largest grid of the level was built.
class GridModel : public Model {
public:
    // The particles filed under one cell: a run of the model's filed array,
    // each index once, ascending. Valid until the next rebuild.
    struct ParticleRun {
        int32_t* first = nullptr;
        int32_t size = 0;

        const int32_t* begin() const { return first; }
        const int32_t* end() const { return first + size; }
        bool empty() const { return size == 0; }
        // 1 when the run holds the particle, else 0. A cell holds a handful
        // of particles, so a scan beats any lookup structure.
        size_t count(int32_t particle) const {
            for (int32_t i = 0; i < size; ++i) {
                if (first[i] == particle) {
                    return 1;
                }
            }
            return 0;
        }
    };

    struct Cell {
        int32_t ix = 0;
        int32_t iy = 0;
        int32_t iz = 0;
        float centre[3] = {};
        ParticleRun particles; // cord particle indices
    };

    // As many entries as the particle worlds hold particles.
    static constexpr int32_t kParticleCells = 1024;

    GridModel() = default;
    ~GridModel() override;
    GridModel(const GridModel&) = delete;
    GridModel& operator=(const GridModel&) = delete;

    // The cell size from the engine globals' world scale, and a zeroed
    // particle-cell array. The pause flag is left alone.
    void setUp() override;
    // Frees the table and the particle-cell array; listeners stay.
    void tearDown() override;
    // Rebuilds the grid from the cord model, paused or not.
    void doStep() override;

    // The linear index of the cell (ix, iy, iz): z varies fastest.
    int32_t cellIndex(int32_t ix, int32_t iy, int32_t iz) const { return (ix * ny + iy) * nz + iz; }
    int32_t cellCount() const { return nx * ny * nz; }
    // The cell a particle was filed under in the last rebuild, or -1 when the
    // grid holds no table or the entry does not name one of its cells (a
    // particle the last rebuild did not see).
    int32_t cellOfParticle(int32_t particle) const;

    Cell* cells = nullptr;            // at least nx * ny * nz cells; null until the first rebuild
    int32_t* particleCells = nullptr; // kParticleCells entries; entry i is the cell of particle i
    int32_t nx = 0;
    int32_t ny = 0;
    int32_t nz = 0;
    float cellSize = 0.0f; // pixels

private:
    void releaseCells();

    int32_t cellCapacity = 0;           // cells the table holds, of which cellCount() are in use
    int32_t filed[kParticleCells] = {}; // every cell's run of particle indices, one run after another
};

} // namespace ZQ
