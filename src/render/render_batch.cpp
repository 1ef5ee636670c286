#include "render/render_batch.h"

#include <new>

int ZNRENDERBATCH::Add(ZNFACE *face, const D3DXMATRIX *world)
{
    const size_t faces = Faces.size();
    const size_t matrices = Matrices.size();
    const size_t indices = MatrixIndices.size();
    try {
        int32_t index = -1;
        if (world) {
            index = static_cast<int32_t>(matrices);
            Matrices.push_back(*world);
        }
        MatrixIndices.push_back(index);
        Faces.push_back(face);
    } catch (const std::bad_alloc &) {
        Faces.resize(faces);
        Matrices.resize(matrices);
        MatrixIndices.resize(indices);
        return 0;
    }
    return 1;
}

void ZNRENDERBATCH::Empty()
{
    Faces.clear();
    Matrices.clear();
    MatrixIndices.clear();
}

const D3DXMATRIX *ZNRENDERBATCH::GetMatrix(size_t i) const
{
    if (i >= MatrixIndices.size() || MatrixIndices[i] < 0)
        return nullptr;
    const size_t m = static_cast<size_t>(MatrixIndices[i]);
    return m < Matrices.size() ? &Matrices[m] : nullptr;
}
