#include <gtest/gtest.h>

#include "app/editor_app.h"
#include "sdk/host_api.h"
#include "editor/editor_doc.h"
#include "scene/brush.h"

TEST(HostApi, AllocNewBrushAppendsToTheCurrentDocument)
{
    ASSERT_EQ(GetEditorApp()->GetDocument(), nullptr);
    EXPECT_EQ(AllocNewBrush(), nullptr);

    CZNEDITORDoc doc;
    ZNBRUSH *first = AllocNewBrush();
    ZNBRUSH *second = AllocNewBrush();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(doc.GetBrushList(), first);
    EXPECT_EQ(first->m_Next, second);
    EXPECT_EQ(doc.GetObjectIndex(1, second), 1);
    // A plug-in fills what it gets.
    ZNFACE *face = second->AddFace(static_cast<short>(3));
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(second->GetFaceCount(), 1u);
}
