// The 3D view paints and picks what its source holds and nothing else: a source of the test's own
// in place of the document, then no source at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "render/view3d_fixture.h"
#include "render/view3d_source.h"
#include "sdk/pick3d_info.h"
#include "support/shapes.h"

namespace
{

constexpr D3DCOLOR kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00, kWhite = 0xFFFFFF;

class View3DSourceTest : public ZnView3DTest
{
protected:
    void SetUp() override
    {
        ZnView3DTest::SetUp();
        if (HasFatalFailure())
            return;
        view.SetSource(&source);
    }
    // A brush of the test's own, put first in the source's list.
    ZNBRUSH *Own()
    {
        owned.push_back(std::make_unique<ZNBRUSH>());
        ZNBRUSH *brush = owned.back().get();
        brush->m_Next = source.brushes;
        source.brushes = brush;
        return brush;
    }

    ZnView3DSource source;
    std::vector<std::unique_ptr<ZNBRUSH>> owned;
};

TEST_F(View3DSourceTest, AFrameShowsTheSourcesSceneAndFillsAndEmptiesItsBatches)
{
    // The document's own face, below the middle, is not the view's to show.
    Rect(Brush(), -3, -4, 3, -1, 10, Material(kGreen), nullptr);
    // The source's: an opaque face, a sky-box face and a blended face drawn one over zero.
    ZNBRUSH *brush = Own();
    Rect(brush, -7, 1, -4, 4, 10, Material(kRed), nullptr);
    Rect(brush, -1.5f, 1, 1.5f, 4, 10, Material(kRed), nullptr, ZNFACESTYLE_SKYBOX);
    ZNFACE *blended = Rect(brush, 4, 1, 7, 4, 10, Material(kBlue), nullptr);
    blended->m_SrcBlend = 1;
    blended->m_DestBlend = 0;

    view.Render(0, 0, 1);
    std::vector<D3DCOLOR> frame = Presented();
    EXPECT_TRUE(ZnColourNear(At(frame, Pixel(-5.5f, 2.5f, 10)), kRed));
    EXPECT_TRUE(ZnColourNear(At(frame, Pixel(0, 2.5f, 10)), kWhite)); // unlit, untextured
    EXPECT_TRUE(ZnColourNear(At(frame, Pixel(5.5f, 2.5f, 10)), kBlue));
    EXPECT_EQ(At(frame, Pixel(0, -2.5f, 10)), 0u);
    // The source's batches were emptied before and after the frame, and the wrapper holds none.
    EXPECT_GE(source.empties, 2);
    EXPECT_EQ(source.blended.GetCount() + source.unlit.GetCount(), 0u);
    EXPECT_EQ(D3D().GetBlendedBatch(), nullptr);
    EXPECT_EQ(D3D().GetUnlitBatch(), nullptr);

    // Without a source the scene is empty: only the background.
    view.SetSource(nullptr);
    view.Render(0, 0, 1);
    frame = Presented();
    EXPECT_EQ(std::count(frame.begin(), frame.end(), 0u), static_cast<std::ptrdiff_t>(frame.size()));
}

TEST_F(View3DSourceTest, APickFindsTheSourcesBrushesAndNothingWithoutASource)
{
    // The document's cube stands nearer; the source's cube behind it is the one picked.
    ZnBuildBox(*Brush(), {-2, -2, 8}, {2, 2, 12});
    ZNBRUSH *cube = Own();
    ZnBuildBox(*cube, {-2, -2, 18}, {2, 2, 22});
    const PICK3DINFO hit = view.Pick3D(kWidth / 2, kHeight / 2, 0);
    ASSERT_EQ(hit.Object, cube);
    EXPECT_NEAR(hit.Distance, 18.0f, 1e-3f);

    view.SetSource(nullptr);
    EXPECT_EQ(view.Pick3D(kWidth / 2, kHeight / 2, 0).Distance, CZN3DView::kNoHit);
    DWORD face = 77;
    EXPECT_EQ(view.PickObject(kWidth / 2, kHeight / 2, 0, &face), nullptr);
    EXPECT_EQ(face, 77u);
}

} // namespace
